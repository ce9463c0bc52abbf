#!/bin/sh
# The tool and the unit tests over the real Steam library, with no Steam
# client running: the library must load and export everything the tool
# calls, and the tool must end with its start-up failure, with the library
# beside it and with none at all.
#
#   real_library_test.sh --tool PATH --tests PATH   Linux build
#   real_library_test.sh --wine BUILD_W64_DIR       x86_64 Windows build
#
# The library comes from scripts/fetch-steam-redist.sh; when that can't
# install it, the test is skipped (exit 77).
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool= tests= wine=
while [ $# -gt 0 ]; do
  case $1 in
    --tool) tool=$2; shift 2 ;;
    --tests) tests=$2; shift 2 ;;
    --wine) wine=$2; shift 2 ;;
    *) echo "usage: $0 --tool PATH --tests PATH | --wine BUILD_W64_DIR" >&2; exit 2 ;;
  esac
done

paths=$("$root/scripts/fetch-steam-redist.sh") || { echo "SKIP: no Steam library package" >&2; exit 77; }
eval "$paths"

if [ -n "$wine" ]; then
  tool=$wine/drav-workshop.exe
  tests=$wine/drav_tests.exe
  library=$STEAM_REDIST_WIN64
  wine_command=$(command -v wine64 || command -v wine) || { echo "FAIL: no wine" >&2; exit 1; }
  run() { WINEDEBUG=-all "$wine_command" "$@"; }
else
  library=$STEAM_REDIST_LINUX64
  run() { "$@"; }
fi
[ -f "$tool" ] && [ -f "$tests" ] || { echo "FAIL: no tool or tests at '$tool' '$tests'" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected="$scratch/expected"
printf -- '-DRAV-\n https://drav.example\n\nSteam workshop uploader v1.2\n\n\n\n\nSteam API could not be initialized!\nYou must open and be logged into Steam while using this tool.\n\nDRAV Workshop tool has completed.\n' >"$expected"

# Runs the tool from its own folder, as a player would start it, and
# compares its standard output; the library's own [S_API] lines go to the
# standard error stream and are not ours to check.
check_tool() {
  name=$1 folder=$2
  (cd "$folder" && unset DRAV_LOCAL_STEAM LD_LIBRARY_PATH SteamAppId SteamGameId &&
    run "./$(basename "$tool")" </dev/null >"$scratch/$name.out" 2>"$scratch/$name.err")
  status=$?
  [ $status -eq 0 ] || fail "$name: exit status $status"
  # The Windows C runtime writes a line break as CR LF.
  tr -d '\r' <"$scratch/$name.out" >"$scratch/$name.txt"
  if ! cmp -s "$expected" "$scratch/$name.txt"; then
    fail "$name: standard output differs"
    diff "$expected" "$scratch/$name.txt" >&2
  fi
}

# 1. The unit tests that need the real library, with it beside them.
mkdir "$scratch/tests"
cp "$tests" "$library" "$scratch/tests/"
run "$scratch/tests/$(basename "$tests")" --gtest_filter='SteamLibraryRealTest.*' \
  >"$scratch/tests.out" 2>&1 || fail "unit tests over the real library"
if grep -q 'SKIPPED' "$scratch/tests.out" || ! grep -q 'PASSED.* 2 tests' "$scratch/tests.out"; then
  fail "unit tests over the real library did not all run"
fi
[ $failures -eq 0 ] || cat "$scratch/tests.out" >&2

# 2. The tool with the library beside it.
mkdir "$scratch/with"
cp "$tool" "$library" "$scratch/with/"
check_tool with-library "$scratch/with"

# 3. The tool alone.
mkdir "$scratch/without"
cp "$tool" "$scratch/without/"
check_tool without-library "$scratch/without"

[ $failures -eq 0 ] && echo "real Steam library: all checks passed"
[ $failures -eq 0 ]
