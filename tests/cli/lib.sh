# The harness of the end-to-end tests, sourced by them: a temporary work
# folder removed at exit, failures counted, and checks of a run's exit
# status and output.
#
#   test_setup NAME                  the work folder and the failure count
#   morvane_cli_setup CLI [RUNNER]   the same for morvane-cli, and what runs
#                                    it (a Windows build's wine script) or nothing
#   finish                           exits 1 when any check failed

test_setup() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/morvane-$1.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    failures=0
}

morvane_cli_setup() {
    cli=$1
    runner=(${2:+"$2"} "$cli")
    # The Windows tool gets the same Linux paths (Wine maps / to Z:) and
    # joins folder and name with '\'.
    separator=/
    [ -z "${2:-}" ] || separator='\'
    test_setup cli-test
}

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check LABEL COMMAND...: the command must succeed.
check() {
    local label=$1
    shift
    "$@" >"$work/stdout" 2>"$work/stderr" || fail "$label: exit status $?: $(cat "$work/stderr")"
}

# run ARGS...: runs the tool; sets $status, leaves its output in
# $work/stdout and $work/stderr.
run() {
    "${runner[@]}" "$@" >"$work/stdout" 2>"$work/stderr"
    status=$?
}

expect_status() {
    [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1"
}

# expect_text STREAM TEXT LABEL: the stream holds exactly TEXT and a line
# feed (or nothing when TEXT is empty).
expect_text() {
    if [ -z "$2" ]; then
        [ ! -s "$work/$1" ] || fail "$3: $1 should be empty, holds: $(cat "$work/$1")"
        return
    fi
    printf '%s\n' "$2" >"$work/expected"
    cmp -s "$work/expected" "$work/$1" ||
        fail "$3: $1 is [$(cat "$work/$1")], expected [$2]"
}

# expect_run STATUS STDOUT STDERR LABEL -- ARGS...
expect_run() {
    local want_status=$1 want_out=$2 want_err=$3 label=$4
    shift 5
    run "$@"
    expect_status "$want_status" "$label"
    expect_text stdout "$want_out" "$label"
    expect_text stderr "$want_err" "$label"
}

make_file() {  # make_file PATH BYTES
    head -c "$2" /dev/urandom >"$1"
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
