#!/usr/bin/env bash
# Runs the Windows tests of each build named (win32: build/windows, win64:
# build/windows-x64) under its Wine, then the Linux tests, whose
# cross-platform test uses the first of those Windows builds, then the Linux
# tests under ASan+UBSan, the threaded ones under TSan and the fuzz corpus
# replay of the libFuzzer build, each suite on every core (tests that need
# the display alone say so). Meant to run on
# a display, usually the virtual one ./test starts, with the builds' prefixes
# made. Every suite runs; the exit status is non-zero when any failed.
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
for arch in "$@"; do
  build=$(morvane_build_dir "$arch")
  # Wine's background processes, started by the first program, would inherit
  # ctest's output pipe and keep every test waiting for them: start them
  # here, away from ctest.
  "$build/wine" --server -p </dev/null >/dev/null 2>&1
  "$build/wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "run-all-tests: Windows tests of $build under $arch Wine"
  ctest --preset "$(morvane_preset "$arch")" || status=1
done

if (($# > 0)); then
  MORVANE_WINDOWS_BUILD=$PWD/$(morvane_build_dir "$1") ctest --preset linux || status=1
else
  ctest --preset linux || status=1
fi
ctest --preset linux-asan || status=1
# ThreadSanitizer needs the address space laid out without randomisation on
# kernels that randomise more bits than it expects; children inherit it.
setarch "$(uname -m)" -R ctest --preset linux-tsan || status=1
ctest --preset fuzz || status=1
exit "$status"
