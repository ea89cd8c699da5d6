#!/usr/bin/env bash
# Makes every release package into build/packages with one command:
#   morvane-<version>-win32.zip  32-bit morvane.exe and morvane-cli.exe, README, licence
#   morvane-<version>-win64.zip  the same from the x86_64 build
#   morvane-<version>-win32-setup.exe and -win64-setup.exe
#                                installers of the same files for the current
#                                user (NSIS, cmake/nsis/NSIS.template.in)
#   morvane-cli_<version>_<arch>.deb and morvane-cli-<version>-linux-<cpu>.tar.gz
#                                morvane-cli with its manual page
#   SHA256SUMS                   their checksums, as sha256sum -c reads them
# Builds each preset first (installing missing Debian packages), then runs
# CPack on its tree. Checks the Debian package with lintian when it is there.
#
# The packages are the same, byte for byte, wherever the clone is and
# whenever they are made: every time in them is SOURCE_DATE_EPOCH, the last
# commit's time unless it is set already (docs/building.md says how).
#   --without-tests  configures the presets without the tests: quicker, and
#                    the same packages
set -euo pipefail
cd "$(dirname "$0")/.."

testing=ON
case ${1:-} in
  "") ;;
  --without-tests) testing=OFF ;;
  *)
    echo "usage: package.sh [--without-tests]" >&2
    exit 2
    ;;
esac

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || [ -z "$SOURCE_DATE_EPOCH" ]; then
    echo "package: not a git clone: set SOURCE_DATE_EPOCH to the release's time (seconds since 1970)" >&2
    exit 2
  fi
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git --no-optional-locks status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "package: the sources differ from the last commit: these packages are no release" \
       "(morvane-cli --version says +dirty)"
fi

bash scripts/install-deps.sh
out=build/packages
rm -rf "$out"
mkdir -p "$out"

for preset in linux windows windows-x64; do
  # The x86_64 Windows preset exists only where the project has it.
  if ! cmake --list-presets 2>/dev/null | grep -q "\"$preset\""; then
    echo "package: no preset $preset, skipped"
    continue
  fi
  cmake --preset "$preset" -DBUILD_TESTING=$testing
  cmake --build --preset "$preset" -j "$(nproc)"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$out"
done
rm -rf "$out/_CPack_Packages"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$out"/*.deb
fi
(cd "$out" && LC_ALL=C ls | grep -vx SHA256SUMS | LC_ALL=C sort | xargs sha256sum -- >SHA256SUMS)
echo "package: made in $out (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
ls -l "$out"
