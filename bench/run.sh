#!/usr/bin/env bash
# Times morvane-cli encode and decode of one large file against `dd bs=1M`
# copying it, GNU `tr` applying a 256-byte table and `openssl enc
# -aes-128-ctr` (a reference: real encryption), in each of two folders: a
# tmpfs one and one on the disk, with the source in the page cache. Prints
# median wall, user and system times, the best wall time and the ratios, the machine and the
# block transform kernel, and the CLI's peak memory.
#
#   bench/run.sh [SIZE_MIB] [RUNS]      (defaults: 1024 MiB, 5 runs)
#
# BENCH_DIRS lists the folders (default: /dev/shm and ${TMPDIR:-/var/tmp});
# MORVANE_KERNEL forces a kernel. Needs a Linux build (cmake --preset linux
# && cmake --build --preset linux), GNU time (/usr/bin/time), bc and openssl.
# MORVANE_CLI names another program: a Windows build's morvane-cli.exe runs
# under that build's Wine, with one Wine server kept up for all runs, and a
# row times Wine's start of it (morvane-cli --version), two more give encode
# and decode less that start, and a last line Wine's own peak memory.
set -euo pipefail
TIMEFORMAT='%3R %3U %3S'

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${MORVANE_CLI:-$root/build/linux/cli/morvane-cli}
size_mib=${1:-1024}
runs=${2:-5}
[ -f "$cli" ] || { echo "bench: no $cli; build the linux preset first" >&2; exit 2; }
runner=()  # what starts the CLI
if [[ $cli == *.exe ]]; then
    wine=$(cd "$(dirname "$cli")/.." && pwd)/wine
    "$root/scripts/prepare-wine-prefix.sh" "$("$wine" --arch)" "$(dirname "$wine")/wineprefix"
    runner=("$wine")
    # A server already up is left as it is found.
    if "$wine" --server -p 2> /dev/null; then own_server=1; fi
    "$wine" cmd /c exit > /dev/null 2>&1 || true  # the prefix's own processes, started once
fi
stop_wine() { if [[ -n ${own_server:-} ]]; then "${runner[0]}" --server -k || true; fi; }
trap stop_wine EXIT
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time missing (apt-get install time)" >&2; exit 2; }
command -v openssl > /dev/null || { echo "bench: openssl missing (apt-get install openssl)" >&2; exit 2; }
read -r -a dirs <<< "${BENCH_DIRS:-/dev/shm ${TMPDIR:-/var/tmp}}"

# One permutation of the 256 byte values, written as tr sets of octal escapes.
identity=$(for i in $(seq 0 255); do printf '\\%03o' "$i"; done)
permuted=$(for i in $(seq 0 255); do printf '\\%03o' "$(( (i * 167 + 13) % 256 ))"; done)

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
least() { sort -g | head -n 1; }
ratio() { echo "$1 / $2" | bc -l; }

# Each command writes a new file; the one of the previous run is removed,
# and the disk brought up to date, before the clock starts. Each runs under
# the command given as its arguments, if any.
copy()    { "$@" dd if="$src" of="$work/copy.bin" bs=1M status=none; }
table()   { "$@" tr "$identity" "$permuted" < "$src" > "$work/tr.bin"; }
openssl_ctr() {
    "$@" openssl enc -aes-128-ctr -bufsize 1048576 -K 000102030405060708090a0b0c0d0e0f \
        -iv 00000000000000000000000000000000 -in "$src" -out "$work/aes.bin"
}
encode()  { "$@" "${runner[@]}" "$cli" encode "$src" "$work/out"; }
decode()  { "$@" "${runner[@]}" "$cli" decode "$work/sample.~mq" "$work/dec"; }
start()   { "$@" "${runner[@]}" "$cli" --version; }
names=(copy table openssl_ctr encode decode)
if ((${#runner[@]})); then names+=(start); fi

# Every run starts from the same state: no earlier write still being
# flushed, and the memory last freed by a 1 MiB writer. What the previous
# command left matters on a disk folder: after one that wrote 4 KiB at a time
# (tr, openssl), the next writer of 1 GiB was seen to spend 2-3 times as long
# in the kernel, whichever command it was.
settle() {
    dd if="$src" of="$work/settle.bin" bs=1M status=none
    rm -f "$work/settle.bin"
    sync
}

bench_in() {  # bench_in FOLDER: every command, interleaved rounds, medians
    work=$(mktemp -d "$1/morvane-bench.XXXXXX")
    trap 'rm -rf "$work"; stop_wine' EXIT
    mkdir "$work/out" "$work/dec"
    src="$work/sample.bin"
    # Written in 1 MiB pieces, as the container below is: a file written in
    # small pieces (head -c writes 4 KiB at a time) sits in the page cache in
    # small pages, is slower to read back, and would handicap the commands
    # that read it (encode, dd, tr) against the one that reads the container.
    dd if=/dev/urandom of="$src" bs=1M count="$size_mib" iflag=fullblock status=none
    "${runner[@]}" "$cli" encode "$src" "$work" > /dev/null  # the container to decode
    cat "$src" "$work/sample.~mq" > /dev/null  # both in the page cache
    local round i name n=${#names[@]}
    # Rounds interleave the commands, each round starting with the next
    # one, so a slow spell of the machine, or the clean-up after one
    # command's output, does not always fall on the same command.
    for round in $(seq 0 $((runs - 1))); do
        for i in $(seq 0 $((n - 1))); do
            name=${names[$(((round + i) % n))]}
            rm -f "$work/copy.bin" "$work/tr.bin" "$work/aes.bin" "$work/out/"* "$work/dec/"*
            settle
            # Bash's own timer gives milliseconds; GNU time's wall clock
            # gives hundredths, too coarse for jobs of 0.15 s.
            { time "$name" > /dev/null 2> "$work/err"; } 2> "$work/time"
            read -r wall user sys < "$work/time"
            echo "$wall" >> "$work/$name.wall"
            echo "$user" >> "$work/$name.user"
            echo "$sys" >> "$work/$name.sys"
        done
    done
    rm -f "$work/dec/"*
    decode > /dev/null
    cmp -s "$src" "$work/dec/sample.bin" || { echo "bench: decoded copy differs" >&2; exit 1; }

    declare -A wall best user sys
    for name in "${names[@]}"; do
        wall[$name]=$(median < "$work/$name.wall")
        best[$name]=$(least < "$work/$name.wall")
        user[$name]=$(median < "$work/$name.user")
        sys[$name]=$(median < "$work/$name.sys")
    done
    # The best wall time beside the medians: on a virtual machine a run now
    # and then spends twice as long in the kernel for reasons of the host's,
    # whichever command it is, and the best run shows what each costs.
    printf '%s (%s), %d MiB, %d runs each, medians and the best wall time:\n' \
        "$1" "$(df -T "$1" | awk 'NR==2 {print $2}')" "$size_mib" "$runs"
    printf '  %-22s %8s %8s %8s %8s\n' "" "wall" "user" "sys" "best"
    row() {
        printf '  %-22s %7.3fs %7.3fs %7.3fs %7.3fs' "$1" "${wall[$2]}" "${user[$2]}" "${sys[$2]}" "${best[$2]}"
    }
    row "dd bs=1M copy" copy; echo
    row "tr with a table" table; echo
    row "openssl aes-128-ctr" openssl_ctr; echo
    for name in encode decode; do
        row "morvane-cli $name" "$name"
        printf '   %.2fx dd (best %.2fx)   %.2fx faster than tr (best %.2fx)   %.2fx faster than openssl\n' \
            "$(ratio "${wall[$name]}" "${wall[copy]}")" "$(ratio "${best[$name]}" "${best[copy]}")" \
            "$(ratio "${wall[table]}" "${wall[$name]}")" "$(ratio "${best[table]}" "${best[$name]}")" \
            "$(ratio "${wall[openssl_ctr]}" "${wall[$name]}")"
    done
    if ((${#runner[@]})); then
        row "Wine's start of the CLI" start; echo
        # What the program itself takes: its median less the median start.
        local own
        for name in encode decode; do
            own=$(echo "${wall[$name]} - ${wall[start]}" | bc -l)
            printf '  %-22s %7.3fs   %.2fx dd\n' "$name less the start" "$own" "$(ratio "$own" "${wall[copy]}")"
        done
    fi
    rm -rf "$work"
    trap stop_wine EXIT
}

peak_kib() {  # peak resident set of one CLI run on a file of $1 MiB
    local dir f
    dir=$(mktemp -d "${dirs[0]}/morvane-peak.XXXXXX")
    f="$dir/peak.bin"
    head -c $(($1 * 1048576)) /dev/zero > "$f"
    /usr/bin/time -f %M "${runner[@]}" "$cli" encode "$f" "$dir" 2>&1 >/dev/null | tail -n 1
    rm -rf "$dir"
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
version=$("${runner[@]}" "$cli" --version | tr -d '\r')
under="" peak_note=""
if ((${#runner[@]})); then under=", under $("${runner[0]}" --arch) Wine" peak_note=" (Wine's own included)"; fi
echo "$(head -n 1 <<< "$version"), $(sed -n 2p <<< "$version")$under"
for dir in "${dirs[@]}"; do
    [ -d "$dir" ] || { echo "bench: no folder $dir, skipped" >&2; continue; }
    bench_in "$dir"
done
printf 'peak memory of morvane-cli encode%s: %s KiB for 16 MiB, %s KiB for %d MiB\n' \
    "$peak_note" "$(peak_kib 16)" "$(peak_kib "$size_mib")" "$size_mib"
# Under Wine most of that is Wine's own: a run that only prints the version
# shows how much, so the job's share is the difference.
if ((${#runner[@]})); then
    printf "peak memory of Wine's start of it (morvane-cli --version): %s KiB\n" \
        "$(/usr/bin/time -f %M "${runner[@]}" "$cli" --version 2>&1 >/dev/null | tail -n 1)"
fi
