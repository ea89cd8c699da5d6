#!/usr/bin/env bash
# End-to-end cases of morvane-cli: encode, decode, messages, exit statuses.
# Each case_NAME function is a CTest test of its own, cli_NAME: CMake finds
# them here.
# Usage: cases.sh CASE CLI_BINARY [RUNNER]
# RUNNER runs a Windows binary (a Windows build's wine script).
set -u
source "$(dirname "$0")/lib.sh"

case_name=${1:?usage: cases.sh CASE CLI_BINARY [RUNNER]}
morvane_cli_setup "${2:?usage: cases.sh CASE CLI_BINARY [RUNNER]}" "${3:-}"
source="$work/data.bin"
make_file "$source" $((1048576 + 1234))
mkdir -p "$work/out" "$work/dec" "$work/other"

# Encode, decode, compare; a second job into the same folder takes the next
# name, and a folder given with its separator gets none added.
case_roundtrip() {
    expect_run 0 "$work/out${separator}data.~mq" "" "encode" -- encode "$source" "$work/out"
    [ -f "$work/out/data.~mq" ] || fail "encode: no container written"
    expect_run 0 "$work/dec${separator}data.bin" "" "decode" -- decode "$work/out/data.~mq" "$work/dec"
    cmp -s "$source" "$work/dec/data.bin" || fail "decode: output differs from the original"
    expect_run 0 "$work/out/data (2).~mq" "" "second encode into the same folder" -- \
        encode "$source" "$work/out/"
    expect_run 0 "$work/dec/data (2).bin" "" "second decode into the same folder" -- \
        decode "$work/out/data (2).~mq" "$work/dec/"
    cmp -s "$source" "$work/dec/data (2).bin" || fail "second decode: output differs from the original"
}

# The existence checks come before any job, the source's first.
case_existence_checks() {
    expect_run 1 "" "File not exist." "missing source" -- encode "$work/missing.bin" "$work/out"
    expect_run 1 "" "Folder does not exist." "missing folder" -- encode "$source" "$work/missing"
    expect_run 1 "" "File not exist." "missing source and folder" -- \
        decode "$work/missing.~mq" "$work/missing"
    expect_run 1 "" "File not exist." "empty source path" -- encode "" "$work/out"
    # A folder passes the existence check; the job then cannot open it.
    expect_run 1 "" "Unable to open file $work/other" "folder as source" -- encode "$work/other" "$work/out"
}

# Refusals of the jobs, exactly as the dialog shows them, and no file left.
case_refusals() {
    run encode "$source" "$work/out"
    expect_run 1 "" "The file \"$work/out/data.~mq\" is already encoded!" "encode a container" -- \
        encode "$work/out/data.~mq" "$work/other"
    make_file "$work/small.bin" $((1048576 - 1))
    expect_run 1 "" "Please select the file of length >= 1MB." "too small" -- \
        encode "$work/small.bin" "$work/other"
    expect_run 1 "" "Inavalid encoded file \"$source\" .
Please select a valid encoded file." "decode a file that is no container" -- \
        decode "$source" "$work/other"
    head -c -1 "$work/out/data.~mq" >"$work/cut.~mq"
    expect_run 1 "" "The encoded file \"$work/cut.~mq\" is damaged." "decode a cut container" -- \
        decode "$work/cut.~mq" "$work/other"
    [ -z "$(ls -A "$work/other")" ] || fail "refused jobs left files: $(ls -A "$work/other")"
    make_file "$work/exact.bin" 1048576
    expect_run 0 "$work/other${separator}exact.~mq" "" "exactly 1 MiB" -- encode "$work/exact.bin" "$work/other"
}

# info: the header's facts and the verdict decoding gives, nothing written.
case_info() {
    run encode "$source" "$work/out"
    head -c -1 "$work/out/data.~mq" >"$work/cut.~mq"
    local before
    before=$(ls -A "$work" "$work/out")
    run info "$work/out/data.~mq"
    expect_status 0 "info on a sound container"
    expect_text stderr "" "info on a sound container"
    for line in "  stored extension: \".bin\"" "  payload length:   $((1048576 + 1234)) bytes" \
        "  key:              a permutation" "  verdict:          sound"; do
        grep -qxF "$line" "$work/stdout" || fail "info on a sound container: no [$line] in $(cat "$work/stdout")"
    done
    run info "$work/out/data.~mq" "$work/cut.~mq" "$source"
    expect_status 1 "info on refused files"
    grep -qxF "  verdict:          The encoded file \"$work/cut.~mq\" is damaged." "$work/stdout" ||
        fail "info on a cut container: $(cat "$work/stdout")"
    run info --json "$work/out/data.~mq" "$work/missing.~mq"
    expect_status 1 "info --json"
    grep -qF '"verdict": "File not exist."' "$work/stdout" || fail "info --json: $(cat "$work/stdout")"
    [ "$(ls -A "$work" "$work/out")" = "$before" ] || fail "info wrote files"
    # A report that cannot be written is said, as for the jobs.
    "${runner[@]}" info "$work/out/data.~mq" >/dev/full 2>"$work/stderr"
    status=$?
    expect_status 1 "info with stdout full"
    tr -d '\r' <"$work/stderr" >"$work/stderr.lf" && mv "$work/stderr.lf" "$work/stderr"
    expect_text stderr "morvane-cli: unable to write to standard output" "info with stdout full"
}

# A link at an output's name, dangling or looping, counts as taken like a
# file: never written through, never replaced. The links are made here, on
# the Linux side, for the Windows tool under Wine as well.
case_links_at_names() {
    mkdir -p "$work/links"
    ln -s "$work/nowhere/target" "$work/links/data.~mq"
    ln -s "data (2).~mq" "$work/links/data (2).~mq"
    expect_run 0 "$work/links${separator}data (3).~mq" "" "links at the names" -- encode "$source" "$work/links"
    [ "$(readlink "$work/links/data.~mq")" = "$work/nowhere/target" ] || fail "the dangling link was replaced"
    [ "$(readlink "$work/links/data (2).~mq")" = "data (2).~mq" ] || fail "the looping link was replaced"
    [ ! -e "$work/nowhere" ] || fail "written through the dangling link"
    [ "$(ls -A "$work/links" | wc -l)" -eq 3 ] || fail "links: the folder holds $(ls -A "$work/links")"
    expect_run 0 "$work/dec${separator}data (3).bin" "" "decoded" -- decode "$work/links/data (3).~mq" "$work/dec"
    cmp -s "$source" "$work/dec/data (3).bin" || fail "links at the names: output differs from the original"
}

# Several sources: one job each, in order; a failure stops none of the others.
case_several_sources() {
    mkdir -p "$work/many"
    make_file "$work/a.txt" $((1048576 + 1))
    make_file "$work/b" $((1048576 + 4096))
    expect_run 1 "$work/many${separator}a.~mq
$work/many${separator}b.~mq" "File not exist." "several sources, one missing" -- \
        encode "$work/a.txt" "$work/missing.bin" "$work/b" "$work/many"
    # A name without extension comes back with ".~mz".
    expect_run 0 "$work/dec${separator}a.txt
$work/dec${separator}b.~mz" "" "several containers" -- \
        decode "$work/many/a.~mq" "$work/many/b.~mq" "$work/dec"
    cmp -s "$work/a.txt" "$work/dec/a.txt" || fail "several containers: a.txt differs"
    cmp -s "$work/b" "$work/dec/b.~mz" || fail "several containers: b differs"
}

# Names beyond ASCII (UTF-8 arguments and file names on every system).
case_names_beyond_ascii() {
    mkdir -p "$work/ünï"
    cp "$source" "$work/ünï/données-日本.bin"
    expect_run 0 "$work/ünï${separator}données-日本.~mq" "" "name beyond ASCII" -- \
        encode "$work/ünï/données-日本.bin" "$work/ünï"
    expect_run 0 "$work/ünï${separator}données-日本 (2).bin" "" "name beyond ASCII decoded" -- \
        decode "$work/ünï/données-日本.~mq" "$work/ünï"
    cmp -s "$source" "$work/ünï/données-日本 (2).bin" || fail "name beyond ASCII: output differs"
}

# Names at the length limit: a name that would pass it is fitted, the base
# cut between two characters, before any data is written.
case_names_at_the_limit() {
    repeat() { printf -- "$1%.0s" $(seq "$2"); }
    mkdir -p "$work/lim"
    local names=("$(repeat n 253)" "$(repeat n 251)" "$(repeat n 247)")
    # Linux counts bytes: 127 Cyrillic letters are 254. (Under Wine, Windows'
    # count in UTF-16 units would pass the Linux file system's.)
    [ "$separator" = / ] && names=("$(repeat Я 127)" "$(repeat Я 125)" "$(repeat Я 123)")
    cp "$source" "$work/lim/${names[0]}"
    expect_run 0 "$work/lim${separator}${names[1]}.~mq" "" "name at the limit" -- \
        encode "$work/lim/${names[0]}" "$work/lim"
    expect_run 0 "$work/lim${separator}${names[2]} (2).~mq" "" "numbered name at the limit" -- \
        encode "$work/lim/${names[0]}" "$work/lim"
    expect_run 0 "$work/dec${separator}${names[2]} (2).~mz" "" "numbered name decoded" -- \
        decode "$work/lim/${names[2]} (2).~mq" "$work/dec"
    cmp -s "$source" "$work/dec/${names[2]} (2).~mz" || fail "numbered name at the limit: output differs"
}

# Paths with runs of spaces and, for the Windows tool, a folder in the
# system's own form ending in '\': the command line must carry each across
# whole (Wine quotes such an argument and doubles its last backslash).
case_argument_forms() {
    local folder="$work/two  words" given
    mkdir -p "$folder"
    cp "$source" "$folder/it's a  file.bin"
    given="$folder/"
    [ "$separator" = / ] || given="Z:$(tr / '\\' <<<"$folder")\\"
    expect_run 0 "${given}it's a  file.~mq" "" "folder with a trailing separator" -- \
        encode "$folder/it's a  file.bin" "$given"
    expect_run 0 "${given}it's a  file (2).bin" "" "decoded there" -- decode "$folder/it's a  file.~mq" "$given"
    cmp -s "$source" "$folder/it's a  file (2).bin" || fail "argument forms: output differs"
}

# "--" lets a path start with '-'.
case_dash_path() {
    mkdir -p "$work/many"
    cp "$source" "$work/-dash.bin"
    (cd "$work" && "${runner[@]}" encode -- -dash.bin many >"$work/stdout" 2>"$work/stderr")
    status=$?
    expect_status 0 "path starting with -"
    expect_text stdout "many${separator}-dash.~mq" "path starting with -"
}

# A fixed second gives the same container; another second another key.
case_fixed_second() {
    mkdir -p "$work/same1" "$work/same2"
    export SOURCE_DATE_EPOCH=1700000000
    expect_run 0 "$work/same1${separator}data.~mq" "" "fixed second" -- encode "$source" "$work/same1"
    expect_run 0 "$work/same2${separator}data.~mq" "" "fixed second again" -- encode "$source" "$work/same2"
    cmp -s "$work/same1/data.~mq" "$work/same2/data.~mq" || fail "fixed second: containers differ"
    SOURCE_DATE_EPOCH=1700000001 run encode "$source" "$work/same2"
    cmp -s "$work/same1/data.~mq" "$work/same2/data (2).~mq" && fail "another second: same container"
    export SOURCE_DATE_EPOCH=1.5
    expect_run 2 "" "morvane-cli: SOURCE_DATE_EPOCH is not a number of seconds" "invalid second" -- \
        encode "$source" "$work/same1"
    [ ! -e "$work/same1/data (2).~mq" ] || fail "invalid second: a job ran"
    unset SOURCE_DATE_EPOCH
}

# Usage errors, help and version.
case_usage() {
    for arguments in "" "encode" "encode $source" "convert $source $work/out" "--bogus encode $source $work/out" \
        "info" "encode --json $source $work/out"; do
        # shellcheck disable=SC2086 # the words are split on purpose
        run $arguments
        expect_status 2 "usage error [$arguments]"
        expect_text stdout "" "usage error [$arguments]"
        grep -q '^Usage: morvane-cli encode SOURCE... FOLDER$' "$work/stderr" ||
            fail "usage error [$arguments]: no usage on stderr"
    done
    for option in --help -h; do
        run "$option"
        expect_status 0 "$option"
        expect_text stderr "" "$option"
        grep -q '^Usage: morvane-cli encode SOURCE... FOLDER$' "$work/stdout" || fail "$option: no usage on stdout"
    done
    run --version
    expect_status 0 "--version"
    expect_text stderr "" "--version"
    local first kernel_line
    first=$(head -n 1 "$work/stdout" | tr -d '\r')
    # "+dirty" follows when the build's sources differ from the last commit.
    if [ -n "${EXPECTED_VERSION:-}" ]; then
        [ "${first%+dirty}" = "morvane-cli $EXPECTED_VERSION" ] || fail "--version: $(cat "$work/stdout")"
    else
        echo "$first" | grep -qE '^morvane-cli [0-9]+(\.[0-9]+)*(\+dirty)?$' || fail "--version: $(cat "$work/stdout")"
    fi
    # The second line names the block transform kernel in use.
    kernel_line=$(sed -n 2p "$work/stdout" | tr -d '\r')
    case "$kernel_line" in
        "block transform: "*) ;;
        *) fail "--version: no kernel line: $(cat "$work/stdout")" ;;
    esac
    if [ -n "${EXPECTED_KERNEL:-}" ] && [ "$kernel_line" != "block transform: $EXPECTED_KERNEL" ]; then
        fail "--version: $kernel_line, expected $EXPECTED_KERNEL"
    fi
}

declare -F "case_$case_name" >/dev/null || { echo "cases.sh: no case '$case_name'" >&2; exit 2; }
"case_$case_name"
finish
