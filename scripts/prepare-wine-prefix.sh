#!/usr/bin/env bash
# Makes the 32-bit Wine prefix the Windows tests run in, once: a later run
# finds the marker and returns at once. Usage: prepare-wine-prefix.sh DIR
set -euo pipefail

prefix=$(realpath -m "$1")
# The marker names the recipe's revision: a prefix made by an older one is
# made again.
marker="$prefix/.morvane-prefix-ready-2"
[[ -f $marker ]] && exit 0

# A prefix without the marker was left half made by an interrupted run.
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
# Without .NET and the HTML engine: nothing here needs them, and Wine would
# otherwise try to fetch installers for them.
export WINEDLLOVERRIDES="mscoree,mshtml="

echo "prepare-wine-prefix: creating $prefix"
log="$prefix.log"
if ! { wineboot -i &&
       # No window manager runs on the virtual display; Wine's own
       # decorations spare about 2 s for every window hidden or destroyed.
       wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
       # A crashing test must fail at once, not wait on the crash dialog.
       wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
       wineserver -w; } >"$log" 2>&1 </dev/null; then
  cat "$log" >&2
  echo "prepare-wine-prefix: failed" >&2
  exit 1
fi
# Caption buttons are drawn from this font; without it they show as letters.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
touch "$marker"
