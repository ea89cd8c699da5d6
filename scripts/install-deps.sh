#!/usr/bin/env bash
# Installs the Debian packages that building and testing Morvane need: the
# native and the MinGW-w64 compilers (i686 and x86_64), CMake and Ninja,
# GoogleTest's sources, 32-bit and 64-bit Wine with their fonts (32-bit Wine
# installs everywhere but starts only where the kernel executes 32-bit
# programs) and a CJK font for the dialog tests' Chinese and Korean names,
# clang with its sanitizer and libFuzzer runtimes for the fuzz targets,
# clang-format for the check of the product code's format, a
# virtual display for the Windows tests, GNU time, bc and openssl
# (a reference row) for the benchmark, the tools that make and check the
# release packages (dpkg-shlibdeps, unzip, man, and NSIS's makensis for the
# Windows installers), faketime for the check that they can be made again at
# another time (scripts/check-reproducible.sh; diffoscope, which explains a
# difference, is optional), and Python for the end-to-end drivers and the
# packages' normalization. When
# everything is there already it only asks dpkg, so a second run costs
# nothing.
set -euo pipefail

packages=(
  g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build googletest libgtest-dev
  clang-14 libclang-rt-14-dev clang-format-14
  wine wine32:i386 wine64 fonts-wine fonts-wqy-microhei
  xvfb xauth imagemagick xdotool
  time bc openssl
  dpkg-dev unzip man-db nsis faketime
  python3
)

is_installed() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 1
  [[ $status == *" installed" ]]
}

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all packages present"
  exit 0
fi

sudo=()
if ((EUID != 0)); then sudo=(sudo); fi

echo "install-deps: installing ${missing[*]}"
# wine32 is an i386 package: the architecture must be known before the
# package lists are fetched.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -q
# fonts-wine is only recommended by Wine, so it is named above; the other
# recommendations are not needed.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
