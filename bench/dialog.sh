#!/usr/bin/env bash
# Times the encode job started from the main dialog against the same job run
# directly, under Wine on a virtual display, and reports how long the
# dialog's thread was kept from its messages. Prints medians and the ratio.
#
#   bench/dialog.sh [SIZE_MIB] [ROUNDS]      (defaults: 512 MiB, 5 rounds)
#
# Builds the dialog_bench target of the Windows build (MORVANE_WINDOWS_BUILD,
# default build/windows, configured with the windows preset).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "$root/${MORVANE_WINDOWS_BUILD:-build/windows}")
size_mib=${1:-512}
rounds=${2:-5}

if [[ $build == "$root/build/windows" ]]; then
    (cd "$root" && cmake --build --preset windows --target dialog_bench)
else
    cmake --build "$build" --target dialog_bench
fi
program=$build/bench/dialog_bench.exe

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/prepare-wine-prefix.sh" "$WINEPREFIX"

work=$(mktemp -d "${TMPDIR:-/var/tmp}/morvane-dialog-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
head -c $((size_mib * 1048576)) /dev/urandom > "$work/sample.bin"

# Wine maps the Unix root to drive Z:.
winpath() { echo "Z:${1//\//\\}"; }
echo "file: $size_mib MiB"
# Wine's processes end before the display does.
xvfb-run -a -s "-screen 0 1024x768x24" sh -c 'wine "$@"; rc=$?; wineserver -w; exit $rc' sh \
    "$program" "$(winpath "$work/sample.bin")" "$(winpath "$work/out")" "$rounds"
