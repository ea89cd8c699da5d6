#!/usr/bin/env bash
# Makes the release packages from the already-built trees with CPack and
# checks, by listing them and never installing them, that each holds what
# it should: names, files, versions.
# Usage: check_packages.sh CPACK VERSION LINUX_BUILD [WINDOWS_BUILD...]
# A Windows build folder that is missing or not built is skipped.
set -u
source "$(dirname "$0")/../cli/lib.sh"

cpack=${1:?usage: check_packages.sh CPACK VERSION LINUX_BUILD [WINDOWS_BUILD...]}
version=${2:?version}
linux_build=${3:?Linux build folder}
shift 3

test_setup packages

# package BUILD OUTPUT: runs CPack on a build tree into OUTPUT.
package() {
    if ! "$cpack" --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1; then
        cat "$2.log" >&2
        fail "cpack failed for $1"
        return 1
    fi
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
package "$linux_build" "$work/linux" || exit 1
arch=$(dpkg --print-architecture)
deb=$work/linux/morvane-cli_${version}_${arch}.deb
tgz=$work/linux/morvane-cli-${version}-linux-$(uname -m).tar.gz
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$work/linux")"
[ -f "$tgz" ] || fail "no $(basename "$tgz"); made: $(ls "$work/linux")"

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
    [ "$("$work/deb/usr/bin/morvane-cli" --version | head -n 1)" = "morvane-cli $version" ] ||
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

# --- Windows: one zip per build with both programs, README and licence --
check_zip() {  # check_zip BUILD
    local build=$1
    if [ ! -f "$build/CPackConfig.cmake" ] || [ ! -f "$build/app/morvane.exe" ]; then
        echo "skipped: no Windows build in '$build'"
        return
    fi
    # win32 or win64, as the build's package is named.
    local system
    system=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "morvane-.*-\(win[0-9]*\)")$/\1/p' "$build/CPackConfig.cmake")
    [ -n "$system" ] || { fail "$build: the package is not named morvane-VERSION-winNN"; return; }
    package "$build" "$work/$system" || return
    local zip=$work/$system/morvane-${version}-${system}.zip top=morvane-${version}-${system}
    [ -f "$zip" ] || { fail "no $(basename "$zip"); made: $(ls "$work/$system")"; return; }
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
}
for build in "$@"; do
    check_zip "$build"
done

echo "checked: $(basename "$deb") $(basename "$tgz")"
finish
