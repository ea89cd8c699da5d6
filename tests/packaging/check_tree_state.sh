#!/usr/bin/env bash
# The "+dirty" rule of cmake/tree-state.cmake on small trees made here:
# each state of a tree and the MORVANE_VERSION_SUFFIX it gives.
# Usage: check_tree_state.sh CMAKE TREE_STATE_SCRIPT
set -u
source "$(dirname "$0")/../cli/lib.sh"
cmake=${1:?usage: check_tree_state.sh CMAKE TREE_STATE_SCRIPT}
script=${2:?usage: check_tree_state.sh CMAKE TREE_STATE_SCRIPT}
test_setup tree-state
# No tree made here may be taken for part of a clone around the work folder.
export GIT_CEILING_DIRECTORIES=$work
git_quiet() { git -c user.name=t -c user.email=t@example -c init.defaultBranch=main "$@" >/dev/null; }

# STATE: what is done to a clean clone of two committed files, a and b.
states=(
    "clean|"
    "a tracked file changed|echo more >>a"
    "a change staged|echo more >>a && git add a"
    "a tracked file deleted|rm b"
    "only an untracked file|echo new >c"
    "only an untracked build folder|mkdir -p build/linux && echo x >build/linux/o"
    "changed, then changed back|echo more >>a && git checkout -q a"
    "a source archive (no .git)|rm -rf .git"
    "an archive unpacked inside a changed clone|rm -rf .git && cd .. && git_quiet init && git_quiet add -A &&
        git_quiet commit -m one && echo more >>tree/a && cd tree"
)
expected=("" "+dirty" "+dirty" "+dirty" "" "" "" "" "")

for i in "${!states[@]}"; do
    label=${states[i]%%|*}
    rm -rf "$work/case" && mkdir -p "$work/case/tree" && cd "$work/case/tree" || exit 1
    printf 'a\n' >a && printf 'b\n' >b
    git_quiet init && git_quiet add a b && git_quiet commit -m one
    eval "${states[i]#*|}" || fail "$label: could not make the state"
    "$cmake" -DMORVANE_SOURCE_DIR="$work/case/tree" -DMORVANE_GIT="$(command -v git)" \
        -DMORVANE_TREE_STATE="$work/state.h" -P "$script" || fail "$label: the script failed"
    got=$(sed -n 's/^#define MORVANE_VERSION_SUFFIX "\(.*\)"$/\1/p' "$work/state.h")
    [ "$got" = "${expected[i]}" ] || fail "$label: suffix [$got], expected [${expected[i]}]"
    rm -f "$work/state.h"
done

# Without git at all: no suffix, even in a changed clone.
cd "$work/case/tree" && git_quiet init && git_quiet add a b && git_quiet commit -m one && echo more >>a
"$cmake" -DMORVANE_SOURCE_DIR="$work/case/tree" -DMORVANE_GIT=MORVANE_GIT-NOTFOUND \
    -DMORVANE_TREE_STATE="$work/state.h" -P "$script" || fail "no git: the script failed"
grep -qx '#define MORVANE_VERSION_SUFFIX ""' "$work/state.h" || fail "no git: $(cat "$work/state.h")"
cd / && finish
