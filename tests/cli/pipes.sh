#!/usr/bin/env bash
# End-to-end cases of morvane-cli in pipes: the standard input as "-", the
# standard output with -c, exact names with -o, --rm, a reader that went
# away and a terminal. Each case_NAME function is a CTest test of its own,
# cli_NAME: CMake finds them here.
# Usage: pipes.sh CASE CLI_BINARY [RUNNER]
set -u
source "$(dirname "$0")/lib.sh"

case_name=${1:?usage: pipes.sh CASE CLI_BINARY [RUNNER]}
morvane_cli_setup "${2:?usage: pipes.sh CASE CLI_BINARY [RUNNER]}" "${3:-}"
source="$work/data.bin"
make_file "$source" $((3 * 1048576 + 1234))
mkdir -p "$work/out"

# Runs the tool with its stdout on a pipe whose reader has gone already, so
# every write to it fails at once; stderr to $work/stderr.
run_into_closed_pipe() {
    python3 - "${runner[@]}" "$@" 2>"$work/stderr" <<'EOF'
import os, subprocess, sys
read_end, write_end = os.pipe()
os.close(read_end)
sys.exit(subprocess.call(sys.argv[1:], stdout=write_end))
EOF
    status=$?
}

# Runs the tool with stdout on a pseudo-terminal; what it wrote there goes
# to $work/stdout, stderr to $work/stderr.
run_on_terminal() {
    python3 - "$work/stdout" "${runner[@]}" "$@" 2>"$work/stderr" <<'EOF'
import os, pty, subprocess, sys
leader, follower = pty.openpty()
status = subprocess.call(sys.argv[2:], stdout=follower)
os.close(follower)
shown = b""
while True:
    try:
        chunk = os.read(leader, 65536)
    except OSError:
        break
    if not chunk:
        break
    shown += chunk
open(sys.argv[1], "wb").write(shown.replace(b"\r\n", b"\n"))
sys.exit(status)
EOF
    status=$?
}

same_bytes() {  # same_bytes A B LABEL
    cmp -s "$1" "$2" || fail "$3: the bytes differ"
}

# Every way through the streams gives back the original byte for byte; with
# a fixed second, several sources on stdout are their containers one after
# another.
case_pipe_round_trips() {
    export SOURCE_DATE_EPOCH=1700000000
    run encode "$source" -c
    expect_status 0 "file onto stdout"
    expect_text stderr "" "file onto stdout"
    mv "$work/stdout" "$work/c1"
    run decode - -c <"$work/c1"
    expect_status 0 "stdin onto stdout"
    same_bytes "$work/stdout" "$source" "stdin onto stdout"

    cat "$source" | "${runner[@]}" encode - --ext .tar -o "$work/out/named.~mq" >"$work/stdout" 2>"$work/stderr"
    status=$?
    expect_status 0 "stdin into a named file"
    expect_text stdout "$work/out/named.~mq" "stdin into a named file"
    expect_run 0 "$work/out${separator}named.tar" "" "the named file decoded into a folder" -- \
        decode "$work/out/named.~mq" "$work/out"
    same_bytes "$work/out/named.tar" "$source" "stdin into a named file"

    cat "$source" | "${runner[@]}" encode - -c 2>"$work/stderr" | "${runner[@]}" decode - -o "$work/back" \
        >"$work/stdout"
    expect_text stderr "" "stdin onto stdout, spooled"
    same_bytes "$work/back" "$source" "stdin onto stdout, spooled, and back"

    make_file "$work/b.bin" $((1048576 + 7))
    run encode "$source" "$work/b.bin" -c
    expect_status 0 "two sources onto stdout"
    mv "$work/stdout" "$work/both"
    run encode "$work/b.bin" -c
    cat "$work/c1" "$work/stdout" | cmp -s - "$work/both" || fail "two sources onto stdout: not one after another"
    unset SOURCE_DATE_EPOCH
}

# Streams that are refused: nothing written, nothing left, the message as
# for a file; what already went to stdout is said to stay there.
case_pipe_refusals() {
    run encode "$source" "$work/out"
    head -c -1 "$work/out/data.~mq" >"$work/cut.~mq"
    cat "$work/out/data.~mq" - <<<"x" >"$work/longer.~mq"
    head -c 1000 "$source" >"$work/short.bin"
    local damaged="The encoded file \"standard input\" is damaged."
    local kept="What was already written to standard output cannot be taken back."
    local input args label expected
    while IFS='|' read -r input args expected label; do
        # shellcheck disable=SC2086 # the words are split on purpose
        run $args <"$input"
        expect_status 1 "$label"
        expect_text stderr "$(printf '%b' "$expected")" "$label"
        [ ! -e "$work/result" ] || fail "$label: an output was left"
    done <<EOF
$work/short.bin|encode - -o $work/result|Please select the file of length >= 1MB.|short stream into a file
/dev/null|encode - -o $work/result|Please select the file of length >= 1MB.|empty stream into a file
/dev/null|encode - -c|Please select the file of length >= 1MB.|empty stream onto stdout
$work/cut.~mq|decode - -o $work/result|$damaged|cut stream into a file
$work/longer.~mq|decode - -o $work/result|$damaged|longer stream into a file
$work/longer.~mq|decode - -c|$damaged\n$kept|longer stream onto stdout
EOF
    # A short stream onto stdout writes nothing at all.
    run encode - -c <"$work/short.bin"
    expect_text stdout "" "short stream onto stdout"

    # An exact name that exists is never replaced.
    printf 'keep me' >"$work/taken"
    expect_run 1 "" "The file \"$work/taken\" already exists: it is never replaced." "exact name taken" -- \
        decode "$work/out/data.~mq" -o "$work/taken"
    [ "$(cat "$work/taken")" = "keep me" ] || fail "exact name taken: the file was changed"

    # A standard input that is closed reads as an empty one. (Wine gives a
    # program started so a console of its own instead.)
    [ "$separator" = / ] || return 0
    "${runner[@]}" encode - -o "$work/result" <&- >"$work/stdout" 2>"$work/stderr"
    status=$?
    expect_status 1 "closed stdin"
    [ ! -e "$work/result" ] || fail "closed stdin: an output was left"
}

# A reader that went away: paths that cannot be printed fail the run but
# stop no job; outputs onto it end the run at the first failed write.
case_pipe_reader_gone() {
    make_file "$work/b.bin" $((1048576 + 7))
    make_file "$work/c.bin" $((1048576 + 9))
    run_into_closed_pipe encode "$source" "$work/b.bin" "$work/c.bin" "$work/out"
    expect_status 1 "paths into a closed pipe"
    tr -d '\r' <"$work/stderr" >"$work/stderr.lf" && mv "$work/stderr.lf" "$work/stderr"
    expect_text stderr "morvane-cli: unable to write to standard output" "paths into a closed pipe"
    [ "$(ls "$work/out")" = "$(printf 'b.~mq\nc.~mq\ndata.~mq')" ] ||
        fail "paths into a closed pipe: the folder holds $(ls "$work/out")"

    run_into_closed_pipe encode "$source" "$work/b.bin" -c
    expect_status 1 "outputs into a closed pipe"
    [ "$(grep -c 'cannot be taken back' "$work/stderr")" -eq 1 ] ||
        fail "outputs into a closed pipe: not one failed job: $(cat "$work/stderr")"
}

# Binary data never goes to a terminal; names shown there have their
# control characters escaped.
case_pipe_terminal() {
    run_on_terminal encode "$source" -c
    expect_status 1 "stdout on a terminal"
    expect_text stdout "" "stdout on a terminal"
    grep -q "^morvane-cli: standard output is a terminal" "$work/stderr" ||
        fail "stdout on a terminal: $(cat "$work/stderr")"
    # Only the Linux tool: Wine shows a terminal to a program as no console.
    [ "$separator" = / ] || return 0
    cp "$source" "$work/tab	name.bin"
    run_on_terminal encode "$work/tab	name.bin" "$work/out"
    expect_status 0 "name on a terminal"
    expect_text stdout "$work/out/tab\\tname.~mq" "name on a terminal"
    run encode -0 "$work/tab	name.bin" "$work/out"
    printf '%s\0' "$work/out/tab	name (2).~mq" | cmp -s - "$work/stdout" || fail "-0: $(od -c "$work/stdout")"
}

# --rm: the source goes once its output is on disk, never after a refusal.
case_pipe_remove_source() {
    cp "$source" "$work/gone.bin"
    expect_run 0 "$work/out${separator}gone.~mq" "" "--rm" -- encode --rm "$work/gone.bin" "$work/out"
    [ ! -e "$work/gone.bin" ] || fail "--rm: the source is still there"
    expect_run 0 "$work/back.bin" "" "--rm decoded" -- decode --rm "$work/out/gone.~mq" -o "$work/back.bin"
    same_bytes "$work/back.bin" "$source" "--rm"
    [ ! -e "$work/out/gone.~mq" ] || fail "--rm decoded: the container is still there"

    run encode "$source" "$work/out"
    head -c -1 "$work/out/data.~mq" >"$work/cut.~mq"
    expect_run 1 "" "The encoded file \"$work/cut.~mq\" is damaged." "--rm on a damaged container" -- \
        decode --rm "$work/cut.~mq" "$work/out"
    [ -e "$work/cut.~mq" ] || fail "--rm on a damaged container: the source was removed"
}

declare -F "case_$case_name" >/dev/null || { echo "pipes.sh: no case '$case_name'" >&2; exit 2; }
"case_$case_name"
finish
