#!/usr/bin/env bash
# Makes the release packages from the already-built trees with CPack and
# checks, by listing them and never installing them, that each holds what
# it should: names, files, versions. The packages are left in OUTPUT
# (OUTPUT/linux, OUTPUT/win32, OUTPUT/win64), emptied first, where the
# installers' test (check_installers.sh) takes the Windows installers.
# Usage: check_packages.sh CPACK VERSION OUTPUT LINUX_BUILD [WINDOWS_BUILD...]
# A Windows build folder that is missing or not built is skipped.
set -u
source "$(dirname "$0")/../cli/lib.sh"

usage="usage: check_packages.sh CPACK VERSION OUTPUT LINUX_BUILD [WINDOWS_BUILD...]"
cpack=${1:?$usage}
version=${2:?$usage}
output=${3:?$usage}
linux_build=${4:?$usage}
shift 4

test_setup packages
rm -rf "$output"
mkdir -p "$output"

# package BUILD FOLDER: runs CPack on a build tree into FOLDER.
package() {
    local log
    log=$work/$(basename "$2").log
    if ! "$cpack" --config "$1/CPackConfig.cmake" -B "$2" >"$log" 2>&1; then
        cat "$log" >&2
        fail "cpack failed for $1"
        return 1
    fi
    rm -rf "$2/_CPack_Packages"
}

# expect_listed LISTING LABEL PATH...: each PATH is a line of LISTING.
expect_listed() {
    local listing=$1 label=$2
    shift 2
    for path in "$@"; do
        grep -qxF -- "$path" "$listing" || fail "$label: $path missing; it holds: $(tr '\n' ' ' <"$listing")"
    done
}

# --- Linux: morvane-cli as a .deb and a .tar.gz -------------------------
package "$linux_build" "$output/linux" || exit 1
arch=$(dpkg --print-architecture)
deb=$output/linux/morvane-cli_${version}_${arch}.deb
tgz=$output/linux/morvane-cli-${version}-linux-$(uname -m).tar.gz
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$output/linux")"
[ -f "$tgz" ] || fail "no $(basename "$tgz"); made: $(ls "$output/linux")"

if [ -f "$deb" ]; then
    [ "$(dpkg-deb -f "$deb" Package)" = morvane-cli ] || fail "deb: Package is $(dpkg-deb -f "$deb" Package)"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "deb: Version is $(dpkg-deb -f "$deb" Version)"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "deb: Architecture"
    dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "deb: Depends lacks libc6"
    dpkg-deb -c "$deb" | awk '{print $1 " " $NF}' >"$work/deb.list"
    expect_listed "$work/deb.list" deb \
        "-rwxr-xr-x ./usr/bin/morvane-cli" \
        "-rw-r--r-- ./usr/share/man/man1/morvane-cli.1.gz" \
        "-rw-r--r-- ./usr/share/doc/morvane-cli/copyright" \
        "-rw-r--r-- ./usr/share/doc/morvane-cli/changelog.gz"

    # The packed program and manual page themselves, unpacked aside.
    dpkg-deb -x "$deb" "$work/deb"
    first=$("$work/deb/usr/bin/morvane-cli" --version | head -n 1)
    [ "${first%+dirty}" = "morvane-cli $version" ] ||
        fail "deb: the program's --version is not $version"
    grep -q "MIT License" "$work/deb/usr/share/doc/morvane-cli/copyright" || fail "deb: copyright is not the licence"
    if command -v man >/dev/null; then
        warnings=$(MANWIDTH=80 man --warnings -l "$work/deb/usr/share/man/man1/morvane-cli.1.gz" 2>&1 >"$work/man.txt")
        [ -z "$warnings" ] || fail "manual page: $warnings"
        grep -q "morvane-cli $version" "$work/man.txt" || fail "manual page: no version $version"
        grep -q "info \[--json\] CONTAINER" "$work/man.txt" || fail "manual page: no info command"
    fi
fi

if [ -f "$tgz" ]; then
    top=morvane-cli-${version}-linux-$(uname -m)
    tar -tzf "$tgz" >"$work/tgz.list"
    expect_listed "$work/tgz.list" tar.gz "$top/bin/morvane-cli" "$top/share/man/man1/morvane-cli.1.gz" \
        "$top/share/doc/morvane-cli/copyright" "$top/share/doc/morvane-cli/README.md"
fi

# --- Windows: one zip and one installer per build, with both programs,
# README and licence -----------------------------------------------------
# pe_machine FILE: the machine field of a Windows program's PE header, in hex.
pe_machine() {
    local pe
    pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    od -An -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' '
}
check_windows() {  # check_windows BUILD
    local build=$1
    if [ ! -f "$build/CPackConfig.cmake" ] || [ ! -f "$build/app/morvane.exe" ]; then
        echo "skipped: no Windows build in '$build'"
        return
    fi
    # win32 or win64, as the build's package is named.
    local system
    system=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "morvane-.*-\(win[0-9]*\)")$/\1/p' "$build/CPackConfig.cmake")
    [ -n "$system" ] || { fail "$build: the package is not named morvane-VERSION-winNN"; return; }
    package "$build" "$output/$system" || return
    local zip=$output/$system/morvane-${version}-${system}.zip top=morvane-${version}-${system}
    local setup=$output/$system/morvane-${version}-${system}-setup.exe
    # Exactly the zip and the installer, nothing beside them.
    local made expected
    made=$(cd "$output/$system" && ls | LC_ALL=C sort | tr '\n' ' ')
    expected=$(printf '%s\n' "$(basename "$zip")" "$(basename "$setup")" | LC_ALL=C sort | tr '\n' ' ')
    [ "$made" = "$expected" ] || fail "$system: made [$made], expected [$expected]"
    if [ -f "$zip" ]; then
        unzip -Z1 "$zip" >"$work/$system.list"
        expect_listed "$work/$system.list" "$system zip" \
            "$top/morvane.exe" "$top/morvane-cli.exe" "$top/README.txt" "$top/LICENSE.txt"
        # The version block of each program carries the version (UTF-16 text).
        for program in morvane.exe morvane-cli.exe; do
            unzip -p "$zip" "$top/$program" | strings -el | grep -qxF "$version" ||
                fail "$system zip: $program has no version $version in its version block"
        done
        unzip -p "$zip" "$top/README.txt" | head -n1 | grep -q $'^# Morvane\r$' || fail "$system zip: README.txt lines not CRLF"
        echo "checked: $(basename "$zip")"
    fi
    # The installer (installed, upgraded and removed under Wine by
    # check_installers.sh): a program of the build's processor with the
    # version in its version block.
    if [ -f "$setup" ]; then
        local machine
        case $system in win32) machine=014c ;; win64) machine=8664 ;; esac
        [ "$(pe_machine "$setup")" = "$machine" ] ||
            fail "$(basename "$setup"): PE machine $(pe_machine "$setup"), expected $machine"
        strings -el "$setup" | grep -qxF "$version" ||
            fail "$(basename "$setup"): no version $version in its version block"
        strings -el "$setup" | grep -qxF "$(basename "$setup")" ||
            fail "$(basename "$setup"): its version block does not name it"
        echo "checked: $(basename "$setup")"
    fi
}
for build in "$@"; do
    check_windows "$build"
done

echo "checked: $(basename "$deb") $(basename "$tgz")"
finish
