#!/usr/bin/env bash
# Makes every release package into build/packages with one command:
#   morvane-<version>-win32.zip  32-bit morvane.exe and morvane-cli.exe, README, licence
#   morvane-<version>-win64.zip  the same from the x86_64 build
#   morvane-<version>-win32-setup.exe and -win64-setup.exe
#                                installers of the same files for the current
#                                user (NSIS, cmake/nsis/NSIS.template.in)
#   morvane-cli_<version>_<arch>.deb and morvane-cli-<version>-linux-<cpu>.tar.gz
#                                morvane-cli with its manual page
# Builds each preset first (installing missing Debian packages), then runs
# CPack on its tree. Checks the Debian package with lintian when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."

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
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$out"
done
rm -rf "$out/_CPack_Packages"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$out"/*.deb
fi
echo "package: made in $out:"
ls -l "$out"
