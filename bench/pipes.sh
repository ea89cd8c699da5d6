#!/usr/bin/env bash
# Times morvane-cli in pipes against `cat` through the same pipes, and
# --sync against `dd conv=fsync` on the same disk, for one large file whose
# source and container are in the page cache. Prints median and best wall
# times, the ratios to their targets, and each streaming command's peak
# memory.
#
#   bench/pipes.sh [SIZE_MIB] [RUNS]      (defaults: 1024 MiB, 5 runs)
#
# BENCH_DIR is the folder on the disk (default ${TMPDIR:-/var/tmp}); the
# spooled copy of stdin goes to TMPDIR as the tool's always does. Needs a
# Linux build and GNU time (/usr/bin/time).
set -euo pipefail
TIMEFORMAT='%3R'

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${MORVANE_CLI:-$root/build/linux/cli/morvane-cli}
size_mib=${1:-1024}
runs=${2:-5}
[ -x "$cli" ] || { echo "bench: no $cli; build the linux preset first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time missing (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/var/tmp}}/morvane-pipes.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
src="$work/sample.bin"
dd if=/dev/urandom of="$src" bs=1M count="$size_mib" iflag=fullblock status=none
"$cli" encode "$src" "$work" >/dev/null
container="$work/sample.~mq"
cat "$src" "$container" >/dev/null

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
least() { sort -g | head -n 1; }

# Each command, run under its arguments' prefix (GNU time for the memory).
cat_pipe()       { cat "$container" | cat | cat >/dev/null; }
decode_pipe()    { cat "$container" | "$@" "$cli" decode - -c | cat >/dev/null; }
cat_file()       { cat "$src" | cat >/dev/null; }
encode_stdout()  { "$@" "$cli" encode "$src" -c | cat >/dev/null; }
encode_spooled() { cat "$src" | "$@" "$cli" encode - -c | cat >/dev/null; }
dd_plain()       { dd if="$src" of="$work/out/dd.bin" bs=1M status=none; }
dd_fsync()       { dd if="$src" of="$work/out/dd.bin" bs=1M conv=fsync status=none; }
encode_file()    { "$cli" encode "$src" "$work/out" >/dev/null; }
encode_sync()    { "$cli" encode --sync "$src" "$work/out" >/dev/null; }
names=(cat_pipe decode_pipe cat_file encode_stdout encode_spooled dd_plain dd_fsync encode_file encode_sync)

for round in $(seq 0 $((runs - 1))); do
    n=${#names[@]}
    for i in $(seq 0 $((n - 1))); do
        name=${names[$(((round + i) % n))]}
        rm -f "$work/out/"*
        sync
        { time "$name"; } 2>>"$work/$name.wall"
    done
done

declare -A wall best
for name in "${names[@]}"; do
    wall[$name]=$(median <"$work/$name.wall")
    best[$name]=$(least <"$work/$name.wall")
done
peak() {  # the tool's peak resident memory in one run of a streaming command
    "$1" /usr/bin/time -f %M -o "$work/peak" >/dev/null
    echo "$(( $(cat "$work/peak") / 1024 )) MiB"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "$(uname -m), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
    "$size_mib MiB, $runs runs, folder $(df -T "$work" | awk 'NR==2 {print $2}'), TMPDIR ${TMPDIR:-/tmp}"
printf '%-16s %8s %8s %s\n' command median best "ratio (median) to its reference, target"
row() {  # row NAME REFERENCE TARGET
    printf '%-16s %8s %8s %s\n' "$1" "${wall[$1]}" "${best[$1]}" \
        "${2:+$(ratio "${wall[$1]}" "${wall[$2]}") x $2 (target $3)}"
}
row cat_pipe
row decode_pipe cat_pipe 1.1
row cat_file
row encode_stdout cat_file 1.1
row encode_spooled cat_pipe 2.2
row dd_plain
row dd_fsync
row encode_file
row encode_sync
# The flush's own cost: the time with it less the time without, from the
# medians and from the best runs (the disk's own spells weigh on medians).
difference() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a - b}'; }
echo "the flush's cost, medians (best runs): --sync $(difference "${wall[encode_sync]}" "${wall[encode_file]}")" \
    "($(difference "${best[encode_sync]}" "${best[encode_file]}")) s, dd conv=fsync" \
    "$(difference "${wall[dd_fsync]}" "${wall[dd_plain]}") ($(difference "${best[dd_fsync]}" "${best[dd_plain]}")) s" \
    "(target: no more than dd's)"
echo "peak memory: decode_pipe $(peak decode_pipe), encode_stdout $(peak encode_stdout)," \
    "encode_spooled $(peak encode_spooled) (target 8 MiB)"
