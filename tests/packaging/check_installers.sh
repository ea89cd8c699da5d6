#!/usr/bin/env bash
# Installs, upgrades and removes the Windows installers that
# check_packages.sh left in PACKAGES, each under the Wine of its build, in a
# Wine prefix made fresh for it, as a user would:
#   - setup /S puts both programs (the files of the build's zip),
#     README.txt, LICENSE.txt and uninstall.exe into
#     %LOCALAPPDATA%\Programs\Morvane, a Start-menu shortcut "Morvane" to
#     morvane.exe and no desktop one, and the uninstall entry under HKCU with
#     the list of what it installed; the installed morvane-cli.exe --version
#     prints the version;
#   - while Morvane runs (a stand-in holds its mutex), setup /S and
#     uninstall.exe /S exit 2 and change nothing;
#   - setup /S again, over what looks like an older version, replaces its
#     files in place, removes the one of the old list that it no longer
#     ships, and keeps a user's file in the folder;
#   - uninstall.exe /S removes the files, the shortcut, the desktop one that
#     the entry says the installer made, and the entry, and leaves the folder
#     with only the user's file in it;
#   - setup /S /D=FOLDER installs there, and setup /S again finds it there;
#     while a file cannot be removed, uninstalling keeps the entry and the
#     uninstaller; once it can, removing it leaves no folder and keeps a
#     desktop shortcut "Morvane" that the installer did not make;
#   - each install writes the file type and the Explorer verb under
#     HKCU\Software\Classes naming the installed morvane.exe (an upgrade
#     rewrites them), the Encode verb's command run as the shell runs it
#     writes the container beside the file, a double-click on the container
#     (ShellExecuteExW, shell_open.exe) starts the installed morvane.exe in
#     decode mode with the container and its folder, and each uninstall removes them
#     but for a .~mq default that another program took since and the user's
#     own keys.
# A build whose Wine cannot start here (32-bit Wine where the kernel runs no
# 32-bit programs) is skipped; when every one is, the test is skipped (77).
# Usage: check_installers.sh VERSION PACKAGES WINDOWS_BUILD...
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../cli/lib.sh"
source "$here/../../scripts/wine-env.sh"

usage="usage: check_installers.sh VERSION PACKAGES WINDOWS_BUILD..."
version=${1:?$usage}
packages=${2:?$usage}
shift 2

test_setup installers
stop_wine() {
    [ -z "${WINESERVER:-}" ] || "$WINESERVER" -k >/dev/null 2>&1 || true
}
trap 'stop_wine; rm -rf "$work"' EXIT

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvane'
files=(morvane.exe morvane-cli.exe README.txt LICENSE.txt uninstall.exe)

# win PROGRAM [ARGS...]: runs a program in the prefix. Its output goes to
# files, never to a pipe: Wine's background programs, started by the first
# one, would hold a pipe open. $work/out has the output without CRs.
win() {
    timeout -k 10 120 "${MORVANE_WINE_START[@]}" "$@" </dev/null >"$work/out.raw" 2>"$work/err"
    local status=$?
    tr -d '\r' <"$work/out.raw" >"$work/out"
    return "$status"
}
# wait_wine: until every program in the prefix has ended. The uninstaller
# copies itself aside and goes on there after the one started has returned.
wait_wine() {
    timeout -k 10 120 "$WINESERVER" -w
}
# unix_path WINDOWS_PATH: where a path of a drive letter is, as winepath -u
# says, without starting a program.
unix_path() {
    local drive=${1:0:1} rest=${1:2}
    echo "$WINEPREFIX/dosdevices/${drive,,}:${rest//\\//}"
}
# reg_value NAME: a value of the uninstall entry, as the last query_entry saw it.
reg_value() {
    sed -n "s/^ *$1 \{2,\}REG_[A-Z_]* \{2,\}//p" "$work/entry"
}
query_entry() {
    win reg query "$key" && cp "$work/out" "$work/entry"
}

# same_file INSTALLED BUILT: the same bytes, but for a program's PE time
# stamp and checksum, which strip sets anew each time CPack lays the files
# out (once for the zip, once for the installer).
same_file() {
    [ "$(wc -c <"$1")" = "$(wc -c <"$2")" ] || return 1
    case $2 in *.exe) ;; *) cmp -s "$1" "$2"; return ;; esac
    local pe
    pe=$(od -An -tu4 -j 60 -N 4 "$2" | tr -d ' ')
    # cmp counts from 1: the stamp is at PE+8, the checksum at PE+88.
    cmp -l "$1" "$2" | awk -v pe="$pe" '
        { at = $1 - 1 - pe }
        !((at >= 8 && at < 12) || (at >= 88 && at < 92)) { other = 1 }
        END { exit other }'
}

# expect_installed LABEL FOLDER: FOLDER (Windows path) holds the installed
# Morvane, with its shortcut and its entry.
expect_installed() {
    local label=$1 folder=$2 place file
    place=$(unix_path "$folder")
    for file in "${files[@]}"; do
        if [ ! -f "$place/$file" ]; then
            fail "$label: no $file in $folder; it holds: $(ls "$place" 2>&1 | tr '\n' ' ')"
        elif [ "$file" != uninstall.exe ] && ! same_file "$place/$file" "$zipped/$file"; then
            fail "$label: $folder\\$file is not the build's"
        fi
    done

    local link=$start_menu/Morvane.lnk
    if [ ! -f "$link" ]; then
        fail "$label: no shortcut $link; the Start menu holds: $(ls "$start_menu" 2>&1 | tr '\n' ' ')"
    elif ! strings -a "$link" | grep -qixF "$folder\\morvane.exe"; then
        fail "$label: the shortcut does not lead to $folder\\morvane.exe: $(strings -a "$link" | tr '\n' ' ')"
    fi
    [ ! -e "$desktop/Morvane.lnk" ] || fail "$label: a desktop shortcut, not asked for"

    if ! query_entry; then
        fail "$label: no uninstall entry $key: $(cat "$work/err")"
    else
        local name want
        for name in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString QuietUninstallString \
            InstalledFiles; do
            case $name in
                DisplayName) want=Morvane ;;
                DisplayVersion) want=$version ;;
                Publisher) want="The Morvane authors" ;;
                DisplayIcon) want="$folder\\morvane.exe,0" ;;
                InstallLocation) want=$folder ;;
                UninstallString) want="\"$folder\\uninstall.exe\"" ;;
                QuietUninstallString) want="\"$folder\\uninstall.exe\" /S" ;;
                InstalledFiles) want=$(IFS='|' && echo "${files[*]}") ;;
            esac
            [ "$(reg_value "$name")" = "$want" ] ||
                fail "$label: the entry's $name is [$(reg_value "$name")], expected [$want]"
        done
        # In KiB, about what the files take.
        local size bytes
        size=$(($(reg_value EstimatedSize)))
        bytes=$(cd "$place" && cat "${files[@]}" 2>/dev/null | wc -c)
        ((size > 0 && size >= bytes / 1024 - 8 && size <= bytes / 1024 + 8)) ||
            fail "$label: the entry's EstimatedSize is $size KiB for $((bytes / 1024)) KiB of files"
    fi

    if ! win "$place/morvane-cli.exe" --version; then
        fail "$label: the installed morvane-cli.exe --version failed: $(cat "$work/err")"
    elif [ "$(head -n 1 "$work/out" | sed 's/+dirty$//')" != "morvane-cli $version" ]; then
        fail "$label: the installed morvane-cli.exe --version printed [$(head -n 1 "$work/out")]"
    fi
}

# expect_removed LABEL FOLDER: nothing of Morvane is left, in FOLDER or out.
expect_removed() {
    local label=$1 folder=$2 place file
    place=$(unix_path "$folder")
    for file in "${files[@]}"; do
        [ ! -e "$place/$file" ] || fail "$label: $folder\\$file is still there"
    done
    [ ! -e "$start_menu/Morvane.lnk" ] || fail "$label: the shortcut is still there"
    if query_entry; then
        fail "$label: the uninstall entry is still there: $(tr '\n' ' ' <"$work/out")"
    fi
}

# class_value KEY [NAME]: a value (the default one without NAME) of a key
# under HKCU\Software\Classes; fails when there is none.
class_value() {
    local args=(/ve) name='(Default)'
    [ $# -lt 2 ] || args=(/v "$2") name=$2
    win reg query "HKCU\Software\Classes\\$1" "${args[@]}" || return 1
    grep -F "$name" "$work/out" | sed -n "s/^ *.* \{2,\}REG_[A-Z_]* \{2,\}//p; s/^ *.* \{2,\}REG_[A-Z_]* *$//p" | head -n 1
}
# The file type's values for a program in FOLDER: KEY|NAME|VALUE, no NAME
# for the default value.
file_type_values() {
    local exe="\"$1\\morvane.exe\""
    printf '%s\n' \
        '.~mq||Morvane.Container' \
        '.~mq\OpenWithProgids|Morvane.Container|' \
        'Morvane.Container||Morvane encoded file' \
        'Morvane.Container|FriendlyTypeName|Morvane encoded file' \
        "Morvane.Container\\DefaultIcon||$exe,-134" \
        "Morvane.Container\\shell\\open\\command||$exe \"%1\"" \
        'Morvane.Container\shell\decode||Decode with Morvane' \
        "Morvane.Container\\shell\\decode\\command||$exe /decode \"%1\"" \
        '*\shell\Morvane.Encode|MUIVerb|Encode with Morvane' \
        "*\\shell\\Morvane.Encode|Icon|$exe,0" \
        '*\shell\Morvane.Encode|MultiSelectModel|Player' \
        "*\\shell\\Morvane.Encode\\command||$exe /encode \"%1\""
}
# expect_file_type LABEL FOLDER: the keys name the morvane.exe in FOLDER.
expect_file_type() {
    local label=$1 key name want got
    while IFS='|' read -r key name want; do
        if ! got=$(class_value "$key" ${name:+"$name"}); then
            fail "$label: no value ${name:-(default)} in HKCU\Software\Classes\\$key"
        elif [ "$got" != "$want" ]; then
            fail "$label: HKCU\Software\Classes\\$key ${name:-(default)} is [$got], expected [$want]"
        fi
    done < <(file_type_values "$2")
}
# expect_no_file_type LABEL KEY...: none of these keys is left.
expect_no_file_type() {
    local label=$1 key
    shift
    for key in "$@"; do
        ! win reg query "HKCU\Software\Classes\\$key" || fail "$label: HKCU\Software\Classes\\$key is still there"
    done
}

# encode_as_the_shell_does LABEL: runs the Encode verb's command from the
# registry with a file's path put in, as Explorer does, and waits (120 s at
# most) for the container beside the file, C:\Boxes\encode me.~mq, which
# it leaves there.
encode_as_the_shell_does() {
    local label=$1 command exe rest input container tries
    if [ -z "${DISPLAY:-}" ]; then
        echo "$label: no display, the Encode verb is not run"
        return
    fi
    command=$(class_value '*\shell\Morvane.Encode\command') || { fail "$label: no Encode command"; return; }
    input='C:\Boxes\encode me.bin'
    # "EXE" ARGS, with %1 the file's path.
    exe=${command#\"} exe=${exe%%\"*} rest=${command#"\"$exe\" "}
    [ "$rest" = '/encode "%1"' ] || { fail "$label: the Encode command's arguments are [$rest]"; return; }
    mkdir -p "$(unix_path 'C:\Boxes')"
    head -c $((1024 * 1024 + 17)) /dev/urandom >"$(unix_path "$input")"
    container=$(unix_path 'C:\Boxes\encode me.~mq')
    timeout -k 10 120 "${MORVANE_WINE_START[@]}" "$exe" /encode "$input" </dev/null >/dev/null 2>&1 &
    local started=$!
    # Complete once it holds the header (more than the key) and the payload.
    for ((tries = 0; tries < 1200; tries++)); do
        (($(stat -c %s "$container" 2>/dev/null || echo 0) > 1024 * 1024 + 17 + 256)) && break
        sleep 0.1
    done
    ((tries < 1200)) && [ "$(head -c 3 "$container")" = "~mq" ] ||
        fail "$label: the Encode verb wrote no container beside the file within 120 s"
    stop_wine
    wait "$started" 2>/dev/null
    rm -f "$(unix_path "$input")"
}

# open_as_the_shell_does LABEL FOLDER: a double-click on the container that
# encode_as_the_shell_does left starts the morvane.exe in FOLDER, whose
# window shows decode mode with the container and its folder filled in.
open_as_the_shell_does() {
    local label=$1 folder=$2 status
    local container='C:\Boxes\encode me.~mq'
    if [ -z "${DISPLAY:-}" ] || [ ! -f "$(unix_path "$container")" ]; then
        echo "$label: no display or no container, the open verb is not run"
        return
    fi
    if win reg query 'HKCR\Morvane.Container'; then
        win "$opener" "$container"
    else
        # Windows sees HKCU\Software\Classes in HKEY_CLASSES_ROOT; a Wine
        # that does not is given the open command itself, as the shell
        # would run it.
        echo "$label: this Wine does not merge HKCU\Software\Classes into HKEY_CLASSES_ROOT for ShellExecuteExW;" \
            "the open command from the registry is started instead"
        local command exe rest
        command=$(class_value 'Morvane.Container\shell\open\command') || { fail "$label: no open command"; return; }
        exe=${command#\"} exe=${exe%%\"*} rest=${command#"\"$exe\" "}
        win "$opener" "$exe" "${rest//%1/$container}"
    fi
    status=$?
    stop_wine
    rm -rf "$(unix_path 'C:\Boxes')"
    if [ "$status" != 0 ]; then
        fail "$label: opening the container as the shell does: exit status $status: $(cat "$work/err")"
        return
    fi
    grep -qixF "process $folder\morvane.exe" "$work/out" ||
        fail "$label: the shell started [$(sed -n 's/^process //p' "$work/out")], not $folder\morvane.exe"
    local line
    for line in 'File to decode:' "$container" 'C:\Boxes'; do
        grep -qxF "control $line" "$work/out" || { [ "$line" = 'C:\Boxes' ] && grep -qxF "control $line\\" "$work/out"; } ||
            fail "$label: the window opened on the container shows no [$line]: $(tr '\n' ' ' <"$work/out")"
    done
}

# state FOLDER: what an install is made of (the files' sums, the shortcuts,
# the entry), to compare before and after a run that must change nothing.
state() {
    (cd "$(unix_path "$1")" && md5sum -- *) 2>&1
    ls "$start_menu" "$desktop" 2>&1
    query_entry && cat "$work/entry"
}

# hold_running_mark: starts the stand-in for a running morvane.exe, which
# holds the program's mutex until its input ends (or for 300 s at most), and
# waits until it says it holds it; release_running_mark ends it and waits
# until Wine has let go.
hold_running_mark() {
    rm -f "$work/hold-input" && mkfifo "$work/hold-input" || return 1
    exec {hold_input}<>"$work/hold-input"
    timeout -k 10 300 "${MORVANE_WINE_START[@]}" "$holder" <"$work/hold-input" >"$work/held" 2>&1 {hold_input}>&- &
    hold_pid=$!
    local tries
    for ((tries = 0; tries < 1200; tries++)); do
        grep -qs '^held' "$work/held" && return 0
        kill -0 "$hold_pid" 2>/dev/null || break
        sleep 0.1
    done
    fail "$(basename "$holder") did not hold the mutex within 120 s: $(cat "$work/held")"
    release_running_mark
    return 1
}
release_running_mark() {
    exec {hold_input}>&-
    wait "$hold_pid" || fail "$(basename "$holder"): exit status $?: $(cat "$work/held")"
    wait_wine || fail "Wine's programs did not end after $(basename "$holder")"
}

# refused_while_running LABEL FOLDER: with Morvane running, each of these
# exits 2 and changes nothing. The uninstaller runs in place (_?=), so that
# its own status is seen rather than that of the copy it starts of itself.
refused_while_running() {
    local label=$1 folder=$2 before run
    local runs=("setup /S|$installer|/S" "uninstall.exe /S|$folder\\uninstall.exe|/S|_?=$folder")
    before=$(state "$folder")
    hold_running_mark || return
    for run in "${runs[@]}"; do
        local args status
        IFS='|' read -ra args <<<"$run"
        win "${args[@]:1}"
        status=$?
        [ "$status" = 2 ] || fail "$label: ${args[0]} while Morvane runs: exit status $status, expected 2"
        [ "$(state "$folder")" = "$before" ] ||
            fail "$label: ${args[0]} while Morvane runs changed: $(diff <(echo "$before") <(state "$folder") | tr '\n' ' ')"
    done
    release_running_mark
}

# setup ARGS...: runs the installer silently.
setup() {
    win "$installer" /S "$@" || fail "setup /S $*: exit status $?: $(cat "$work/err")"
}
# uninstall FOLDER: runs the installed uninstaller silently, to its end.
uninstall() {
    win "$1\\uninstall.exe" /S || fail "uninstall.exe /S in $1: exit status $?: $(cat "$work/err")"
    wait_wine || fail "uninstall.exe /S in $1: Wine's programs did not end"
}

# check_installer BUILD
check_installer() {
    local build=$1 arch
    # As check_packages.sh skips it.
    if [ ! -x "$build/wine" ] || [ ! -f "$build/CPackConfig.cmake" ] || [ ! -f "$build/app/morvane.exe" ]; then
        echo "skipped: no Windows build in '$build'"
        return
    fi
    arch=$("$build/wine" --arch)
    installer=$packages/$arch/morvane-${version}-${arch}-setup.exe
    local zip=$packages/$arch/morvane-${version}-${arch}.zip
    if [ ! -f "$installer" ] || [ ! -f "$zip" ]; then
        fail "no $installer and $(basename "$zip") (check_packages.sh makes them)"
        return
    fi
    if ! morvane_wine_runs "$arch"; then
        echo "skipped: $(basename "$installer"): $(morvane_wine_why_not "$arch")"
        return
    fi
    tested=$((tested + 1))
    zipped=$work/$arch-zip/morvane-${version}-${arch}
    unzip -q "$zip" -d "$work/$arch-zip"
    # The installer's list of its files is the zip's.
    [ "$(cd "$zipped" && ls | sort)" = "$(printf '%s\n' "${files[@]}" | grep -vx uninstall.exe | sort)" ] ||
        fail "$arch: the zip holds $(cd "$zipped" && ls | tr '\n' ' '), not the installer's list ${files[*]}"
    holder=$build/tests/packaging/hold_running_mark.exe
    opener=$build/tests/packaging/shell_open.exe
    if [ ! -f "$holder" ] || [ ! -f "$opener" ]; then
        fail "no $holder and $(basename "$opener") (the Windows build makes them)"
        return
    fi

    # Wine links the prefix's Desktop and Documents to folders of HOME (to
    # HOME itself when it has no Desktop): a home of the test's own keeps
    # the shortcuts away from the real one.
    export HOME=$work/$arch-home XDG_CONFIG_HOME=$work/$arch-home/.config XDG_DATA_HOME=$work/$arch-home/.local/share
    mkdir -p "$HOME/Desktop"
    local prefix=$work/$arch-prefix started=$SECONDS
    if ! bash "$here/../../scripts/prepare-wine-prefix.sh" "$arch" "$prefix"; then
        fail "$arch: no fresh Wine prefix"
        return
    fi
    echo "$arch: a fresh Wine prefix in $((SECONDS - started)) s"
    started=$SECONDS
    morvane_wine_env "$arch" "$prefix"
    # Shortcuts would otherwise become menu entries of the Linux desktop.
    WINEDLLOVERRIDES+=";winemenubuilder.exe=d"

    local local_appdata appdata profile
    if ! win cmd /c echo '%LOCALAPPDATA%;%APPDATA%;%USERPROFILE%' ||
        ! IFS=';' read -r local_appdata appdata profile <"$work/out" || [ -z "$profile" ]; then
        fail "$arch: cmd cannot tell the user's folders: $(cat "$work/out" "$work/err")"
        return
    fi
    start_menu=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs")
    desktop=$(unix_path "$profile\\Desktop")
    case $(realpath -m "$desktop") in
        "$work"/*) ;;
        *) fail "$arch: the prefix's desktop is $(realpath -m "$desktop"), outside the test's folder"; return ;;
    esac
    local folder="$local_appdata\\Programs\\Morvane"

    echo "$arch: installing $(basename "$installer") silently"
    setup
    expect_installed "$arch install" "$folder"
    expect_file_type "$arch install" "$folder"
    encode_as_the_shell_does "$arch"
    open_as_the_shell_does "$arch" "$folder"

    echo "$arch: installing and uninstalling while Morvane runs"
    refused_while_running "$arch" "$folder"

    echo "$arch: installing again over an older version"
    local place
    place=$(unix_path "$folder")
    echo "an older version" >"$place/README.txt"
    echo "an older version" >"$place/morvane.exe"
    echo "an older version" >"$place/morvane-old.dll"
    win reg add "$key" /v DisplayVersion /d 0.0.0.1 /f || fail "reg add: $(cat "$work/err")"
    # As an older version recorded what it installed; the last two are no
    # names it could have installed, and must not take the user's file.
    win reg add "$key" /v InstalledFiles /d 'morvane.exe|morvane-old.dll|README.txt|*.txt|..\Morvane\notes.txt' /f ||
        fail "reg add: $(cat "$work/err")"
    echo "the user's own notes" >"$place/notes.txt"
    win reg add 'HKCU\Software\Classes\Morvane.Container\shell\open\command' /ve /d '"C:\Old\morvane.exe" "%1"' /f ||
        fail "reg add: $(cat "$work/err")"
    setup
    expect_installed "$arch install over an older one" "$folder"
    expect_file_type "$arch install over an older one" "$folder"
    [ "$(cat "$place/notes.txt" 2>&1)" = "the user's own notes" ] || fail "$arch: the user's file changed"
    [ ! -e "$place/morvane-old.dll" ] || fail "$arch: the older version's morvane-old.dll, no longer shipped, stayed"
    local links
    links=$(cd "$start_menu" && ls | grep -i morvane | tr '\n' ' ')
    [ "$links" = "Morvane.lnk " ] || fail "$arch: the Start menu holds [$links] of Morvane, expected Morvane.lnk alone"

    echo "$arch: uninstalling silently"
    # As the finish page makes and records it (/S skips that page).
    cp "$start_menu/Morvane.lnk" "$desktop/Morvane.lnk"
    win reg add "$key" /v DesktopShortcut /t REG_DWORD /d 1 /f || fail "reg add: $(cat "$work/err")"
    # The user's own .txt association, and another program that took .~mq.
    win reg add 'HKCU\Software\Classes\.txt' /ve /d 'Users.Notes' /f || fail "reg add: $(cat "$work/err")"
    win reg add 'HKCU\Software\Classes\.~mq' /ve /d 'Other.Container' /f || fail "reg add: $(cat "$work/err")"
    uninstall "$folder"
    expect_removed "$arch uninstall" "$folder"
    expect_no_file_type "$arch uninstall" 'Morvane.Container' '*\shell\Morvane.Encode' '.~mq\OpenWithProgids'
    [ "$(class_value .~mq)" = Other.Container ] || fail "$arch uninstall: another program's .~mq default went"
    [ "$(class_value .txt)" = Users.Notes ] || fail "$arch uninstall: the user's own .txt association changed"
    [ ! -e "$desktop/Morvane.lnk" ] || fail "$arch uninstall: the desktop shortcut is still there"
    local left
    left=$(cd "$place" 2>/dev/null && ls | tr '\n' ' ')
    [ "$left" = "notes.txt " ] || fail "$arch uninstall: the folder holds [$left], expected the user's notes.txt alone"

    echo "$arch: installing into a folder of its own (/D=) and removing it"
    local other='C:\Tools\Morvane'
    setup "/D=$other"
    expect_installed "$arch install with /D=" "$other"
    # A new version finds the installed one's folder without being told.
    setup
    expect_installed "$arch install again without /D=" "$other"
    expect_file_type "$arch install again without /D=" "$other"
    left=$(cd "$place" 2>/dev/null && ls | tr '\n' ' ')
    [ "$left" = "notes.txt " ] || fail "$arch: installed again into the default folder, not into $other"

    echo "$arch: uninstalling while a file cannot be removed, then again"
    # A folder in README.txt's place, which no Delete removes, as none removes
    # a file that another program holds.
    local held
    held=$(unix_path "$other")/README.txt
    rm -f "$held" && mkdir -p "$held/inside"
    uninstall "$other"
    query_entry || fail "$arch: the entry went, though README.txt could not"
    [ -f "$(unix_path "$other")/uninstall.exe" ] || fail "$arch: the uninstaller went, though README.txt could not"
    [ ! -e "$(unix_path "$other")/morvane.exe" ] || fail "$arch: morvane.exe stayed, though it could go"
    rm -r "$held"
    # A desktop shortcut of the user's own, of the name the installer gives
    # its own: the entry does not say the installer made it.
    echo "the user's own shortcut" >"$desktop/Morvane.lnk"
    uninstall "$other"
    expect_removed "$arch uninstall from /D=" "$other"
    expect_no_file_type "$arch uninstall from /D=" 'Morvane.Container' '*\shell\Morvane.Encode' '.~mq'
    [ ! -e "$(unix_path "$other")" ] || fail "$arch: $other was not removed, though empty"
    [ "$(cat "$desktop/Morvane.lnk" 2>&1)" = "the user's own shortcut" ] ||
        fail "$arch: the user's own desktop shortcut, which the installer did not make, went"

    stop_wine
    echo "$arch: installed, upgraded and removed in $((SECONDS - started)) s"
}

tested=0
for build in "$@"; do
    check_installer "$build"
done
if ((tested == 0 && failures == 0)); then
    echo "skipped: no installer whose Wine starts here"
    exit 77
fi
finish
