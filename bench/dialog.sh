#!/usr/bin/env bash
# Times the encode job started from the main dialog against the same job run
# directly, under Wine on a virtual display, and reports how long the
# dialog's thread was kept from its messages. Prints medians and the ratio.
#
#   bench/dialog.sh [SIZE_MIB] [ROUNDS]      (defaults: 512 MiB, 5 rounds)
#
# Builds the dialog_bench target of a configured Windows build
# (MORVANE_WINDOWS_BUILD; by default build/windows where 32-bit Wine runs,
# else build/windows-x64).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
if [[ -z ${MORVANE_WINDOWS_BUILD:-} ]]; then
    arch=win64
    if morvane_wine_runs win32; then arch=win32; fi
    MORVANE_WINDOWS_BUILD=$(morvane_build_dir "$arch")
fi
build=$(realpath -m "$root/$MORVANE_WINDOWS_BUILD")
size_mib=${1:-512}
rounds=${2:-5}

cmake --build "$build" --target dialog_bench
program=$build/bench/dialog_bench.exe
arch=$("$build/wine" --arch)
"$root/scripts/prepare-wine-prefix.sh" "$arch" "$build/wineprefix"
echo "build: $build ($arch)"

work=$(mktemp -d "${TMPDIR:-/var/tmp}/morvane-dialog-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
head -c $((size_mib * 1048576)) /dev/urandom > "$work/sample.bin"

# Wine maps the Unix root to drive Z:.
winpath() { echo "Z:${1//\//\\}"; }
echo "file: $size_mib MiB"
# Wine's processes end before the display does. A server kept up on purpose
# (wine --server -p) never ends by itself, so the wait for it is bounded.
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$0" "$@"; rc=$?; timeout 60 "$0" --server -w; exit $rc' \
    "$build/wine" "$program" "$(winpath "$work/sample.bin")" "$(winpath "$work/out")" "$rounds"
