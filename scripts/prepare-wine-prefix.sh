#!/usr/bin/env bash
# Makes the Wine prefix a Windows build's tests run in, once: a later run
# finds the marker and returns at once.
# Usage: prepare-wine-prefix.sh win32|win64 DIR
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

arch=${1:?usage: prepare-wine-prefix.sh win32|win64 DIR}
prefix=$(realpath -m "${2:?usage: prepare-wine-prefix.sh win32|win64 DIR}")
# The marker names the recipe's revision and the architecture: a prefix made
# by an older recipe, or for the other architecture, is made again.
marker="$prefix/.morvane-prefix-ready-4-$arch"
[[ -f $marker ]] && exit 0

fail() {
  echo "prepare-wine-prefix: cannot make the $arch prefix $prefix: $*" >&2
  exit 1
}
morvane_wine_runs "$arch" || fail "$(morvane_wine_why_not "$arch")"

# A prefix without the marker was left half made, or is of another recipe.
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
morvane_wine_env "$arch" "$prefix"

echo "prepare-wine-prefix: creating the $arch prefix $prefix"
log="$prefix.log"
if ! { "${MORVANE_WINE_START[@]}" wineboot -i &&
       # No window manager runs on the virtual display; Wine's own
       # decorations spare about 2 s for every window hidden or destroyed.
       "${MORVANE_WINE_START[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
       # A crashing test must fail at once, not wait on the crash dialog.
       "${MORVANE_WINE_START[@]}" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
       "$WINESERVER" -w; } >"$log" 2>&1 </dev/null; then
  fail "$(grep -v '^[[:space:]]*$' "$log" | tail -n 1) (whole log: $log)"
fi
# Wine does not find its own fonts (package fonts-wine) here by itself: the
# prefix gets the ones the program needs. Caption buttons are drawn from
# Marlett; without it they show as letters. Tahoma is what the dialogs' font,
# "MS Shell Dlg 2", stands for, as on Windows; without it every face falls
# back to a font of fontconfig's choice.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  cp "/usr/share/wine/fonts/$font" "$prefix/drive_c/windows/Fonts/" ||
    fail "no font $font (package fonts-wine)"
done
# On Windows, Tahoma is linked to the CJK fonts, SimSun among them, and
# Uniscribe (which edit fields draw with) falls back to SimSun for Chinese;
# Wine does both by the same names. Here SimSun stands for WenQuanYi Micro
# Hei (package fonts-wqy-microhei, found through fontconfig), so a Chinese or
# Korean name shows in the dialog's fields as itself, not as boxes.
[[ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ]] ||
  fail "no CJK font (package fonts-wqy-microhei)"
if ! { "${MORVANE_WINE_START[@]}" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
         /v SimSun /d 'WenQuanYi Micro Hei' /f &&
       "$WINESERVER" -w; } >>"$log" 2>&1 </dev/null; then
  fail "cannot make SimSun stand for the CJK font (whole log: $log)"
fi
touch "$marker"
