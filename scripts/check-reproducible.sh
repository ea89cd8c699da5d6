#!/usr/bin/env bash
# Shows that the release packages can be made again, byte for byte, from
# the same commit: scripts/package.sh makes them twice, from clones in two
# different folders, the second with another umask (077), time zone
# (UTC+14) and locale and, where faketime is installed, a clock 9 days and
# 7 hours ahead; then every package and SHA256SUMS are compared. On a
# difference it names the package and its first differing member
# (scripts/package_difference.py), and shows diffoscope's report where
# diffoscope is installed.
#   (no option)  the full check: two fresh clones of this tree's last
#                commit, each built with its tests
#   --quick      what ./test runs: the first make is this tree's own (its
#                presets are built already, so only CPack runs), the second
#                a clone's built without its tests. When this tree differs
#                from its last commit, the first make comes from a clone as
#                well, since only a commit can be made again.
#   --keep       keeps the clones and says where
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

quick=false
keep=false
for option in "$@"; do
  case $option in
    --quick) quick=true ;;
    --keep) keep=true ;;
    *)
      echo "usage: check-reproducible.sh [--quick] [--keep]" >&2
      exit 2
      ;;
  esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/morvane-reproducible.XXXXXX")
if $keep; then
  trap 'echo "check-reproducible: the clones are kept in $work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
started=$(date +%s)

# clone FOLDER: a clone of this tree's last commit in FOLDER.
clone() {
  mkdir -p "$(dirname "$1")"
  git clone -q "$here" "$1"
  echo "check-reproducible: $1 at $(git -C "$1" log -1 --format='%h, committed %cI')"
}

# The first make.
if $quick && [ -z "$(git --no-optional-locks status --porcelain --untracked-files=no)" ]; then
  first=$here
  echo "check-reproducible: first make: this tree's own, $here"
  bash scripts/package.sh >"$work/first.log" 2>&1 || { tail -n 40 "$work/first.log"; exit 1; }
else
  $quick && echo "check-reproducible: this tree differs from its last commit: the first make comes from a clone"
  first=$work/a/morvane
  clone "$first"
  options=()
  ! $quick || options=(--without-tests)
  (cd "$first" && bash scripts/package.sh "${options[@]}") >"$work/first.log" 2>&1 ||
    { tail -n 40 "$work/first.log"; exit 1; }
fi

# The second, elsewhere, in another setting.
second=$work/second-make/in/another/folder/morvane-clone
clone "$second"
options=()
! $quick || options=(--without-tests)
clock=()
if command -v faketime >/dev/null; then
  # NO_FAKE_STAT: files keep their real times, which the build compares.
  clock=(env NO_FAKE_STAT=1 faketime -f "+223h")
  echo "check-reproducible: second make: umask 077, UTC+14, clock $("${clock[@]}" date -u '+%F %R') UTC"
else
  echo "check-reproducible: second make: umask 077, UTC+14 (faketime is not installed: the real clock)"
fi
(
  umask 077
  cd "$second"
  TZ=XST-14 LC_ALL=C.UTF-8 "${clock[@]}" bash scripts/package.sh "${options[@]}"
) >"$work/second.log" 2>&1 || { tail -n 40 "$work/second.log"; exit 1; }

# The comparison: every package and the checksums.
one=$first/build/packages
two=$second/build/packages
status=0
names=$( (cd "$one" && ls) | LC_ALL=C sort)
if [ "$names" != "$( (cd "$two" && ls) | LC_ALL=C sort)" ]; then
  echo "check-reproducible: DIFFERENT: the makes made other files:" \
       "[$(echo $names)] and [$(cd "$two" && ls | LC_ALL=C sort | tr '\n' ' ')]" >&2
  status=1
fi
for name in $names; do
  [ -f "$two/$name" ] || continue
  if cmp -s "$one/$name" "$two/$name"; then
    echo "check-reproducible: same: $name"
    continue
  fi
  status=1
  echo "check-reproducible: DIFFERENT: $name" >&2
  python3 scripts/package_difference.py "$one/$name" "$two/$name" >&2
  if command -v diffoscope >/dev/null; then
    diffoscope --text - "$one/$name" "$two/$name" 2>&1 | head -n 60 >&2 || true
  fi
done
echo "check-reproducible: $(wc -l <"$one/SHA256SUMS") packages from $(git log -1 --format=%h)," \
     "$((($(date +%s) - started) / 60)) min $((($(date +%s) - started) % 60)) s"
if ((status == 0)); then
  echo "check-reproducible: every package and SHA256SUMS are the same in both makes"
fi
exit "$status"
