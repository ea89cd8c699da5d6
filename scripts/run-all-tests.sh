#!/usr/bin/env bash
# Runs the Windows tests of each build named (win32: build/windows, win64:
# build/windows-x64) under its Wine, then the Linux tests, whose
# cross-platform test uses the first of those Windows builds, then the Linux
# tests under ASan+UBSan, the threaded ones under TSan and the fuzz corpus
# replay of the libFuzzer build, each suite on every core (tests that need
# the display alone say so), and last the check that the release packages
# are made again byte for byte from a clone elsewhere (the quick form of
# scripts/check-reproducible.sh). Meant to run on
# a display, usually the virtual one ./test starts, with the builds' prefixes
# made. Every suite runs; the exit status is non-zero when any failed.
#
# A test that fails has failed: it is not run again, its output is shown at
# once, and its name is repeated at the end, where a log's tail shows it.
# Usage: run-all-tests.sh ARCH...
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/wine-env.sh
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}

stop_servers() {
  for arch in "$@"; do
    "$(morvane_build_dir "$arch")/wine" --server -k >/dev/null 2>&1 || true
  done
}
trap 'stop_servers "$@"' EXIT

status=0
summary=()
# The tests of PRESET's last run that failed, on one line.
failed_tests() { cut -d: -f2- "build/$1/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | tr '\n' ' '; }
# suite PRESET [COMMAND...]: one preset's tests, started through COMMAND
# (env, setarch) if given.
suite() {
  local preset=$1
  shift
  if "$@" ctest --preset "$preset" --output-on-failure; then return 0; fi
  summary+=("$preset: FAILED: $(failed_tests "$preset")")
  status=1
}

for arch in "$@"; do
  build=$(morvane_build_dir "$arch")
  # Wine's background processes, started by the first program, would inherit
  # ctest's output pipe and keep every test waiting for them: start them
  # here, away from ctest.
  "$build/wine" --server -p </dev/null >/dev/null 2>&1
  "$build/wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "run-all-tests: Windows tests of $build under $arch Wine"
  suite "$(morvane_preset "$arch")"
done

if (($# > 0)); then
  suite linux env MORVANE_WINDOWS_BUILD="$PWD/$(morvane_build_dir "$1")"
else
  suite linux
fi
suite linux-asan
# ThreadSanitizer needs the address space laid out without randomisation on
# kernels that randomise more bits than it expects; children inherit it.
suite linux-tsan setarch "$(uname -m)" -R
suite fuzz

echo "run-all-tests: the release packages made twice, here and in a clone elsewhere"
if ! bash scripts/check-reproducible.sh --quick 2>&1 | tee build/reproducible.log; then
  summary+=("reproducible packages: FAILED: $(sed -n 's/^check-reproducible: DIFFERENT: //p' build/reproducible.log |
    tr '\n' ' ')")
  status=1
fi

echo "run-all-tests: suites run: Windows (${*:-none}), linux, linux-asan, linux-tsan, fuzz, reproducible packages"
for line in "${summary[@]}"; do echo "run-all-tests: $line"; done
if ((status == 0)); then echo "run-all-tests: every suite passed"; fi
exit "$status"
