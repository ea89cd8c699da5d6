#!/usr/bin/env bash
# Times morvane-cli encode and decode of one large file against `dd bs=1M`
# copying it and GNU `tr` applying a 256-byte table, and measures the CLI's
# peak memory. Prints medians and ratios.
#
#   bench/run.sh [SIZE_MIB] [RUNS]      (defaults: 1024 MiB, 5 runs)
#
# Needs a Linux build (cmake --preset linux && cmake --build --preset linux)
# and GNU time (/usr/bin/time, Debian package "time").
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${MORVANE_CLI:-$root/build/linux/cli/morvane-cli}
size_mib=${1:-1024}
runs=${2:-5}
[ -x "$cli" ] || { echo "bench: no $cli; build the linux preset first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time missing (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/var/tmp}/morvane-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
src="$work/sample.bin"
head -c $((size_mib * 1048576)) /dev/urandom > "$src"

# One permutation of the 256 byte values, written as tr sets of octal escapes.
identity=$(for i in $(seq 0 255); do printf '\\%03o' "$i"; done)
permuted=$(for i in $(seq 0 255); do printf '\\%03o' "$(( (i * 167 + 13) % 256 ))"; done)

seconds() {  # runs "$@" once, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

# Each command writes a new file; the one of the previous run is removed,
# and the disk brought up to date, before the clock starts.
copy()   { dd if="$src" of="$work/copy.bin" bs=1M status=none; }
table()  { tr "$identity" "$permuted" < "$src" > "$work/tr.bin"; }
encode() { "$cli" encode "$src" "$work/out"; }
decode() { "$cli" decode "$work/sample.~mq" "$work/dec"; }

mkdir "$work/dec"
"$cli" encode "$src" "$work" > /dev/null  # the container to decode; warms the cache
names=(copy table encode decode)
# Rounds interleave the commands, each round starting with the next one, so
# a slow spell of the machine, or the clean-up after one command's output,
# does not always fall on the same command.
for round in $(seq 0 $((runs - 1))); do
    for i in 0 1 2 3; do
        name=${names[$(((round + i) % 4))]}
        rm -f "$work/copy.bin" "$work/tr.bin" "$work/out/"* "$work/dec/"*
        sync  # start each run with no earlier write still being flushed
        seconds "$name" >> "$work/$name.times"
    done
done
declare -A results
for name in "${names[@]}"; do results[$name]=$(median < "$work/$name.times"); done
rm -f "$work/dec/"*
decode > /dev/null
cmp -s "$src" "$work/dec/sample.bin" || { echo "bench: decoded copy differs" >&2; exit 1; }

peak_kib() {  # peak resident set of one CLI run on a file of $1 MiB
    local f="$work/peak.bin"
    head -c $(($1 * 1048576)) /dev/zero > "$f"
    rm -f "$work/out/"*
    /usr/bin/time -f %M "$cli" encode "$f" "$work/out" 2>&1 >/dev/null | tail -n 1
    rm -f "$f"
}

printf 'file: %d MiB, %d runs each, median wall time\n' "$size_mib" "$runs"
printf '  dd bs=1M copy        %8.3f s\n' "${results[copy]}"
printf '  tr with a table      %8.3f s\n' "${results[table]}"
printf '  morvane-cli encode   %8.3f s   %.2fx dd   %.2fx faster than tr\n' "${results[encode]}" \
    "$(echo "${results[encode]} / ${results[copy]}" | bc -l)" \
    "$(echo "${results[table]} / ${results[encode]}" | bc -l)"
printf '  morvane-cli decode   %8.3f s   %.2fx dd   %.2fx faster than tr\n' "${results[decode]}" \
    "$(echo "${results[decode]} / ${results[copy]}" | bc -l)" \
    "$(echo "${results[table]} / ${results[decode]}" | bc -l)"
printf 'peak memory of morvane-cli encode: %s KiB for 16 MiB, %s KiB for %d MiB\n' \
    "$(peak_kib 16)" "$(peak_kib "$size_mib")" "$size_mib"
