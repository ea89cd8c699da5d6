#!/usr/bin/env bash
# Runs the Windows tests under Wine, then the Linux tests (some of which run
# the Windows programs under Wine too). Meant to run on a display, usually
# the virtual one ./test starts, with WINEPREFIX naming a prepared prefix.
# Both suites always run; the exit status is non-zero when either failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
: "${WINEPREFIX:?WINEPREFIX must name the prepared Wine prefix}"

# Wine's background processes, started by the first program, would inherit
# ctest's output pipe and keep every test waiting for them: start them here,
# away from ctest, and stop them at the end.
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

status=0
ctest --preset windows || status=1
ctest --preset linux || status=1
exit "$status"
