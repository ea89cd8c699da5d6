#!/usr/bin/env bash
# How much of codec/ the stored corpus of each fuzz target reaches: builds the
# targets with clang's source coverage (with the replay driver, no fuzzing),
# replays each corpus and prints llvm-cov's line and region summary of codec/.
#
#   fuzz/coverage.sh [TARGET...]      (default: every target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=build/fuzz-coverage
flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(sed -n 's/^morvane_fuzz_target(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}" >/dev/null
for target in "${targets[@]}"; do
  program=$build/fuzz/fuzz_$target
  LLVM_PROFILE_FILE=$build/$target.profraw "$program" "fuzz/corpus/$target" >/dev/null
  llvm-profdata-14 merge -o "$build/$target.profdata" "$build/$target.profraw"
  echo "== $target: $(find "fuzz/corpus/$target" -type f | wc -l) inputs"
  llvm-cov-14 report "$program" -instr-profile="$build/$target.profdata" "$root/codec" |
    awk 'NR == 1 || /^TOTAL/'
done
