#!/usr/bin/env bash
# Containers are the same bytes on Linux and Windows for the same second,
# and each system decodes the other's.
# Usage: cross_platform.sh LINUX_CLI [WINDOWS_BUILD_DIR...]
# Uses the Windows tool of MORVANE_WINDOWS_BUILD when set, else of the first
# build folder whose Wine starts on this machine and whose prefix is made.
# Exits 77 (skipped) when there is none.
set -u
source "$(dirname "$0")/lib.sh"

linux_cli=${1:?usage: cross_platform.sh LINUX_CLI [WINDOWS_BUILD_DIR...]}
shift

skip() {
    echo "skipped: $*"
    exit 77
}
usable() {
    [ -f "$1/cli/morvane-cli.exe" ] && [ -x "$1/wine" ] && [ -d "$1/wineprefix" ] &&
        "$1/wine" --version >/dev/null 2>&1
}
[ -z "${MORVANE_WINDOWS_BUILD:-}" ] || set -- "$MORVANE_WINDOWS_BUILD"
windows_build=
for candidate in "$@"; do
    if usable "$candidate"; then
        windows_build=$candidate
        break
    fi
done
[ -n "$windows_build" ] || skip "no Windows build whose Wine runs here among: $*"
windows_cli="$windows_build/cli/morvane-cli.exe"
wine="$windows_build/wine"
echo "Windows tool: $windows_cli"

morvane_cli_setup "$linux_cli"

mkdir -p "$work/linux" "$work/windows" "$work/from-linux" "$work/from-windows"
source="$work/sample.dat"
head -c $((1048576 + 1234)) /dev/urandom >"$source"

# Plain Linux paths work for the Windows tool: Wine maps / to drive Z:.
# The second second lies beyond 32 bits, past the 32-bit Windows build's time_t.
for second in 1700000000 5994967296; do
    mkdir -p "$work/linux/$second" "$work/windows/$second"
    export SOURCE_DATE_EPOCH=$second
    check "encode on Linux at $second" "$linux_cli" encode "$source" "$work/linux/$second"
    check "encode on Windows at $second" "$wine" "$windows_cli" encode "$source" "$work/windows/$second"
    unset SOURCE_DATE_EPOCH
    cmp "$work/linux/$second/sample.~mq" "$work/windows/$second/sample.~mq" ||
        fail "containers of second $second differ"
done
cmp -s "$work/linux/1700000000/sample.~mq" "$work/linux/5994967296/sample.~mq" ||
    fail "the seed is not the second's low 32 bits"
mv "$work/linux/1700000000/sample.~mq" "$work/linux/sample.~mq"
mv "$work/windows/1700000000/sample.~mq" "$work/windows/sample.~mq"

check "decode the Linux container on Windows" "$wine" "$windows_cli" decode "$work/linux/sample.~mq" "$work/from-linux"
check "decode the Windows container on Linux" "$linux_cli" decode "$work/windows/sample.~mq" "$work/from-windows"
cmp "$source" "$work/from-linux/sample.dat" || fail "Linux container decoded on Windows differs"
cmp "$source" "$work/from-windows/sample.dat" || fail "Windows container decoded on Linux differs"

finish
