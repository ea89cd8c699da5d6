# Which Wine runs a Windows build here, and how it is started. Sourced by
# ./test, ./run, the prefix script and the wine wrapper of each Windows build.
#
# Debian's `wine` command picks the 32-bit loader whenever it is installed,
# even on a kernel that cannot execute 32-bit programs; so each architecture
# names its own loader and server here.
#
#   morvane_wine_loader ARCH     prints the loader of win32 or win64
#   morvane_wine_runs ARCH       succeeds when that Wine can start here
#   morvane_wine_env ARCH PREFIX exports what a program of ARCH needs, and
#                                sets MORVANE_WINE_START, the command that starts
#                                a program: "${MORVANE_WINE_START[@]}" PROGRAM ARGS

morvane_wine_loader() {
  case $1 in
    win32) echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown Wine architecture '$1' (win32 or win64)" >&2; return 2 ;;
  esac
}

morvane_wine_server() {
  # A 64-bit server serves 32-bit programs too; the 32-bit one is kept for
  # them where it runs, as Wine's own packages do.
  if [[ $1 == win32 && -x /usr/lib/wine/wineserver32 ]] &&
     /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo /usr/lib/wine/wineserver32
  else
    echo /usr/lib/wine/wineserver64
  fi
}

morvane_wine_runs() {
  local loader
  loader=$(morvane_wine_loader "$1") || return 2
  [[ -x $loader ]] && "$loader" --version >/dev/null 2>&1
}

# Why `morvane_wine_runs ARCH` fails, in one line.
morvane_wine_why_not() {
  local loader output
  loader=$(morvane_wine_loader "$1") || return 0
  if [[ ! -x $loader ]]; then
    echo "$loader is not installed"
    return 0
  fi
  output=$("$loader" --version 2>&1 | tail -n 1)
  case $output in
    *"Exec format error"*) echo "this machine's kernel cannot execute 32-bit programs ($loader: Exec format error)" ;;
    *) echo "$loader --version failed: $output" ;;
  esac
}

morvane_wine_env() {
  WINELOADER=$(morvane_wine_loader "$1") || return 2
  WINESERVER=$(morvane_wine_server "$1")
  export WINELOADER WINESERVER WINEARCH=$1 WINEPREFIX=$2
  # The loader without address-space randomisation. Debian's Wine has no
  # preloader to claim Windows' fixed pages before anything else is mapped,
  # and its loader sits just below them: with the heap placed at random after
  # it, about one start in 5,000 found the shared user data's page taken
  # ("failed to map the shared user data: c0000018") and ended with status 1.
  # Laid out the same every time, the heap stays far below that page. The
  # programs Wine starts in turn inherit the layout.
  MORVANE_WINE_START=(setarch "$(uname -m)" -R "$WINELOADER")
  export WINEDEBUG=${WINEDEBUG:--all}
  # Without .NET and the HTML engine: nothing here needs them, and Wine would
  # otherwise try to fetch installers for them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# The build folder of the Windows programs that ARCH's Wine runs.
morvane_build_dir() {
  case $1 in
    win32) echo build/windows ;;
    win64) echo build/windows-x64 ;;
    *) echo "wine-env: unknown Wine architecture '$1' (win32 or win64)" >&2; return 2 ;;
  esac
}

# The CMake preset of that build.
morvane_preset() {
  basename "$(morvane_build_dir "$1")"
}
