#!/usr/bin/env python3
"""End to end: what the real morvane-cli leaves behind when a job is
interrupted, killed, or its source changes while it runs (cut, grown, cut
and grown back to its length, or rewritten in place).

Usage: midjob.py CLI CASE
       midjob.py --wine WINE CTRL_EVENT_EXE CLI_EXE CASE   (the win_ cases)
       midjob.py --list linux|windows                      (the cases, one a line)

Each Linux case starts a job on a large source, waits until the job is under way
(the tool has read part of the source, per /proc/PID/io), stops the process
with SIGSTOP, does what the case says (a signal, a truncation, ...), lets it
continue, and checks the exit status, stderr, and that the target folder
holds exactly what it held before, byte for byte, hidden files included.
The Windows cases run the Windows tool under Wine through a helper that
sends the console event (or kills it) once the job's output shows in the
folder, and check the same; those that change the source stop the Windows
tool's own process as above and change its source from the Linux side.
Two more lose the written paths on a full stdout and on a pipe whose reader
went away.
"""
import hashlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SIZE = 256 << 20
UNDER_WAY = 16 << 20  # bytes read before the job counts as under way
POLL_PAUSE = 0.001  # seconds between looks at /proc, short beside the time the job takes to read SIZE
EPOCH = "1700000000"


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def work_folder():
    # tmpfs keeps 512 MiB per case off the disk.
    base = os.environ.get("MORVANE_E2E_TMP")
    if not base and os.access("/dev/shm", os.W_OK):
        base = "/dev/shm"
    return tempfile.mkdtemp(prefix="morvane-midjob.", dir=base)


def make_source(path):
    block = bytes(range(256)) * 4096  # 1 MiB
    with open(path, "wb") as f:
        for _ in range(SIZE // len(block)):
            f.write(block)
        f.write(b"tail")  # not a whole block: the last one is partial


def snapshot(folder):
    state = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            state[name] = f.read()
    return state


def digest(path):
    hashed = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            hashed.update(chunk)
    return hashed.digest()


def bytes_read(pid):
    with open("/proc/%d/io" % pid) as f:
        for line in f:
            if line.startswith("rchar:"):
                return int(line.split()[1])
    return 0


def stop_under_way(process, limit):
    """Waits until the job has read UNDER_WAY bytes, then stops the process.
    Returns the bytes read when it stopped; fails when the job ended first
    or got through `limit` bytes, since then nothing midway was tested."""
    while process.poll() is None:
        try:
            if bytes_read(process.pid) >= UNDER_WAY:
                break
        except OSError:
            break
        time.sleep(POLL_PAUSE)
    if process.poll() is not None:
        fail("the job ended before it was under way (status %d)" % process.returncode)
    os.kill(process.pid, signal.SIGSTOP)
    os.waitpid(process.pid, os.WUNTRACED)
    read = bytes_read(process.pid)
    if read >= limit:
        fail("the job read %d bytes before it stopped: too fast to test midway" % read)
    return read


def signal_case(*numbers):
    """Sends each signal in turn, all while the job is stopped."""
    def act(process, source, read):
        for number in numbers:
            os.kill(process.pid, number)
    return act


def truncate_case(process, source, read):
    os.truncate(source, (read + SIZE) // 2)


def grow_case(process, source, read):
    with open(source, "ab") as f:
        f.write(b"\0" * (8 << 20))


def shrink_and_regrow_case(process, source, read):
    """Cut short and grown back to its length: only the stamps tell."""
    os.truncate(source, (read + SIZE) // 2)
    os.truncate(source, SIZE + 4)


def rewrite_at(offset):
    """Bytes rewritten in place: the length stays, only the stamps tell."""
    def act(process, source, read):
        with open(source, "r+b") as f:
            f.seek(offset(read))
            f.write(b"rewritten in place")
    return act


rewrite_before_case = rewrite_at(lambda read: read // 4)
rewrite_after_case = rewrite_at(lambda read: SIZE - 100)


INTERRUPTED = "morvane-cli: interrupted\n"

# name: (command, act on the stopped job, expected status, stderr check)
CASES = {
    "sigint": ("encode", signal_case(signal.SIGINT), 130, INTERRUPTED),
    "sigterm": ("encode", signal_case(signal.SIGTERM), 143, INTERRUPTED),
    "sighup": ("encode", signal_case(signal.SIGHUP), 129, INTERRUPTED),
    "decode_sigint": ("decode", signal_case(signal.SIGINT), 130, INTERRUPTED),
    # An interrupted job never removes its source.
    "sigint_rm": ("encode --rm", signal_case(signal.SIGINT), 130, INTERRUPTED),
    # Two kinds together: the first decides, and the second neither changes
    # the status nor cuts the clean-up short. (Signals that wait together are
    # taken lowest number first, so the first sent here is the lower.)
    "sighup_then_sigterm": ("encode", signal_case(signal.SIGHUP, signal.SIGTERM), 129, INTERRUPTED),
    "sigint_then_sigterm": ("encode", signal_case(signal.SIGINT, signal.SIGTERM), 130, INTERRUPTED),
    # Nothing can clean up after SIGKILL: only an unnamed temporary leaves
    # nothing behind.
    "sigkill": ("encode", signal_case(signal.SIGKILL), -signal.SIGKILL, ""),
    "truncated": ("encode", truncate_case, 1, "{source}"),
    "grown": ("encode", grow_case, 1, "{source}"),
    "shrunk_and_regrown": ("encode", shrink_and_regrow_case, 1, "{source}"),
    "rewritten_before": ("encode", rewrite_before_case, 1, "{source}"),
    "rewritten_after": ("encode", rewrite_after_case, 1, "{source}"),
    "decode_truncated": ("decode", truncate_case, 1, "{source}"),
}


def full_stdout():
    return open("/dev/full", "wb")


def closed_stdout():
    """A pipe whose reader went away, as after `| head -1`."""
    read_end, write_end = os.pipe()
    os.close(read_end)
    return os.fdopen(write_end, "wb")


# name: stdout that loses what is written
STDOUT_CASES = {"stdout_full": full_stdout, "stdout_closed": closed_stdout}


# name: (helper mode, expected status, stderr)
WINDOWS_CASES = {
    "win_ctrl_c": ("c", 130, INTERRUPTED),
    # No clean-up runs after TerminateProcess: only a temporary marked for
    # deletion leaves nothing behind.
    "win_kill": ("kill", 9, None),
}

# Every case of each system; CTest takes its list from here (--list).
LINUX_CASE_NAMES = list(CASES) + list(STDOUT_CASES)
# Sources changed in place from the Linux side while the Windows tool reads
# them under Wine: the cases of CASES by these names, with "win_" before.
WINDOWS_CHANGE_CASES = ["shrunk_and_regrown", "rewritten_before", "rewritten_after"]
WINDOWS_CASE_NAMES = (list(WINDOWS_CASES) + ["win_" + name for name in STDOUT_CASES]
                      + ["win_" + name for name in WINDOWS_CHANGE_CASES])


def prepare_target(work):
    target = os.path.join(work, "target")
    os.mkdir(target)
    # Outputs that exist already: the job must neither replace nor touch them.
    for name_taken in ("big.~mq", "big.dat", "keep.txt"):
        with open(os.path.join(target, name_taken), "wb") as f:
            f.write(b"was here before\n")
    return target


def check_target(problems, target, before):
    after = snapshot(target)
    if after != before:
        added = sorted(set(after) - set(before))
        changed = sorted(n for n in before if after.get(n) != before[n])
        problems.append("target folder changed: added %s, changed or gone %s" % (added, changed))


def run_windows_case(wine, helper, cli, name, work):
    mode, expected, stderr_text = WINDOWS_CASES[name]
    source = os.path.join(work, "big.dat")
    make_source(source)
    target = prepare_target(work)
    before = snapshot(target)
    env = dict(os.environ, SOURCE_DATE_EPOCH=EPOCH)
    done = subprocess.run([wine, helper, mode, target, cli, "encode", source, source, target], env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    err = done.stderr.decode(errors="replace")
    problems = []
    if done.returncode != expected:
        problems.append("exit status %d, expected %d" % (done.returncode, expected))
    if done.stdout:
        problems.append("stdout should be empty, holds: %r" % done.stdout)
    if stderr_text is not None and err != stderr_text:
        problems.append("stderr should be %r, holds: %r" % (stderr_text, err))
    check_target(problems, target, before)
    if problems:
        fail("; ".join(problems))


def stdout_lost_case(tool, name, work):
    """The written paths lost on stdout: every job still runs and its output
    stands, but the run fails and says why."""
    source = os.path.join(work, "big.dat")
    make_source(source)
    target = os.path.join(work, "target")
    os.mkdir(target)
    with STDOUT_CASES[name]() as lost:
        done = subprocess.run(tool + ["encode", source, source, source, target], stdout=lost,
                              stderr=subprocess.PIPE)
    err = done.stderr.decode(errors="replace")
    problems = []
    if done.returncode != 1:
        problems.append("exit status %d, expected 1" % done.returncode)
    if err.replace("\r\n", "\n") != "morvane-cli: unable to write to standard output\n":
        problems.append("stderr: %r" % err)
    if sorted(os.listdir(target)) != ["big (2).~mq", "big (3).~mq", "big.~mq"]:
        problems.append("target folder holds %s" % os.listdir(target))
    if problems:
        fail("; ".join(problems))


def run_case(tool, name, work):
    """`tool`: the command that runs the tool (the Windows one through its
    Wine, whose process is the Windows program's own)."""
    command, act, expected, stderr_rule = CASES[name]
    env = dict(os.environ, SOURCE_DATE_EPOCH=EPOCH)
    sources = os.path.join(work, "sources")
    os.mkdir(sources)
    plain = os.path.join(sources, "big.dat")
    make_source(plain)
    source = plain
    if command.split()[0] == "decode":
        made = subprocess.run(tool + ["encode", plain, sources], env=env, capture_output=True, text=True)
        if made.returncode != 0:
            fail("could not make the container: " + made.stderr)
        source = made.stdout.strip()
        os.remove(plain)
    # Its last change an hour back, so that one now shows in its stamps
    # whatever their resolution.
    hour_ago = os.path.getmtime(source) - 3600
    os.utime(source, (hour_ago, hour_ago))
    target = prepare_target(work)
    before = snapshot(target)
    changes_source = act in (truncate_case, grow_case, shrink_and_regrow_case, rewrite_before_case,
                             rewrite_after_case)
    source_before = None if changes_source else digest(source)

    # A signal must also skip the jobs after the running one; a changed
    # source has one job, since a second would see it whole.
    repeats = 1 if changes_source else 2
    process = subprocess.Popen(tool + command.split() + [source] * repeats + [target], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    read = stop_under_way(process, os.path.getsize(source))
    act(process, source, read)
    os.kill(process.pid, signal.SIGCONT)
    out, err = process.communicate(timeout=120)
    out, err = out.decode(errors="replace"), err.decode(errors="replace")

    problems = []
    if process.returncode != expected:
        problems.append("exit status %d, expected %d" % (process.returncode, expected))
    if out:
        problems.append("stdout should be empty, holds: " + out)
    rule = stderr_rule.format(source=source)
    if stderr_rule.startswith("{"):
        if rule not in err:
            problems.append("stderr should name %s, holds: %s" % (rule, err))
    elif err != rule:
        problems.append("stderr should be %r, holds: %r" % (rule, err))
    check_target(problems, target, before)
    if source_before is not None and digest(source) != source_before:
        problems.append("the source changed")
    if problems:
        fail("; ".join(problems))


def main():
    args = sys.argv[1:]
    if args == ["--list", "linux"] or args == ["--list", "windows"]:
        print("\n".join(LINUX_CASE_NAMES if args[1] == "linux" else WINDOWS_CASE_NAMES))
        return 0
    windows = len(args) == 5 and args[0] == "--wine" and args[4] in WINDOWS_CASE_NAMES
    if not windows and not (len(args) == 2 and args[1] in LINUX_CASE_NAMES):
        print("usage: midjob.py CLI CASE  (CASE: %s)\n"
              "       midjob.py --wine WINE CTRL_EVENT_EXE CLI_EXE CASE  (CASE: %s)\n"
              "       midjob.py --list linux|windows"
              % (", ".join(LINUX_CASE_NAMES), ", ".join(WINDOWS_CASE_NAMES)), file=sys.stderr)
        return 2
    work = work_folder()
    try:
        if windows and args[4][len("win_"):] in STDOUT_CASES:
            stdout_lost_case([args[1], args[3]], args[4][len("win_"):], work)
        elif windows and args[4][len("win_"):] in WINDOWS_CHANGE_CASES:
            run_case([args[1], args[3]], args[4][len("win_"):], work)
        elif windows:
            run_windows_case(args[1], args[2], args[3], args[4], work)
        elif args[1] in STDOUT_CASES:
            stdout_lost_case([os.path.abspath(args[0])], args[1], work)
        else:
            run_case([os.path.abspath(args[0])], args[1], work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
