#!/usr/bin/env bash
# Fuzzes one target for longer, under ASan and UBSan, and merges the inputs
# that reach new code into its stored corpus (fuzz/corpus/TARGET).
#
#   fuzz/run.sh TARGET [SECONDS]       (default 600 s; TARGET: a name below)
#
# A failure stops the run, leaves its input in build/fuzz/artifacts/ and
# exits non-zero; replay it with build/fuzz/fuzz/fuzz_TARGET FILE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

targets=$(sed -n 's/^morvane_fuzz_target(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt | tr '\n' ' ')
target=${1:?usage: fuzz/run.sh TARGET [SECONDS]; targets: $targets}
seconds=${2:-600}
[[ " $targets " == *" $target "* ]] || { echo "fuzz/run.sh: no target '$target'; targets: $targets" >&2; exit 2; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
program=build/fuzz/fuzz/fuzz_$target
corpus=fuzz/corpus/$target
work=build/fuzz/work/$target
mkdir -p "$corpus" "$work" build/fuzz/artifacts

# New inputs go to the work folder; the stored corpus seeds the run.
"$program" -max_total_time="$seconds" -print_final_stats=1 -max_len=8192 \
  -artifact_prefix=build/fuzz/artifacts/"$target"- "$work" "$corpus"
before=$(find "$corpus" -type f | wc -l)
# Only inputs that add coverage are kept, under names of their content.
"$program" -merge=1 "$corpus" "$work" 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' || true
after=$(find "$corpus" -type f | wc -l)
echo "fuzz/run.sh: $target: corpus $before -> $after inputs"
