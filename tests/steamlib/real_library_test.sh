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

root=$(cd "$(dirname "$0")/../.." && pwd)
tool= tests= wine=
while [ $# -gt 1 ] && case $1 in --tool | --tests | --wine) ;; *) false ;; esac; do
  eval "${1#--}=\$2"
  shift 2
done
[ $# -eq 0 ] || { echo "usage: $0 --tool PATH --tests PATH | --wine BUILD_W64_DIR" >&2; exit 2; }

paths=$("$root/scripts/fetch-steam-redist.sh") || { echo "SKIP: no Steam library package" >&2; exit 77; }
eval "$paths"
library=$STEAM_REDIST_LINUX64 run=
if [ -n "$wine" ]; then
  tool=$wine/drav-workshop.exe tests=$wine/drav_tests.exe library=$STEAM_REDIST_WIN64
  run=$(command -v wine64 || command -v wine) || { echo "FAIL: no wine" >&2; exit 1; }
fi
[ -f "$tool" ] && [ -f "$tests" ] || { echo "FAIL: no tool or tests at '$tool' '$tests'" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# A folder `name` holding copies of the files after it.
folder() { dir=$scratch/$1; shift; mkdir "$dir" && cp "$@" "$dir/"; }

# 1. The unit test that needs the real library, with it beside the tests.
folder tests "$tests" "$library"
WINEDEBUG=-all $run "$scratch/tests/$(basename "$tests")" \
  --gtest_filter='SteamLibraryRealTest.*' >"$scratch/tests.out" 2>&1 &&
  grep -q 'PASSED.* 1 test' "$scratch/tests.out" && ! grep -q 'SKIPPED' "$scratch/tests.out" ||
  { fail "unit test over the real library failed or did not run"; cat "$scratch/tests.out" >&2; }

# 2. and 3. The tool started from its own folder as a player would, with
# the library beside it and alone. Only standard output is ours to check:
# the library writes its own [S_API] lines to the error stream. The Windows
# C runtime writes a line break as CR LF.
printf -- '-DRAV-\n https://drav.example\n\nSteam workshop uploader v1.2\n\n\n\n\nSteam API could not be initialized!\nYou must open and be logged into Steam while using this tool.\n\nDRAV Workshop tool has completed.\n' >"$scratch/expected"
folder with-library "$tool" "$library"
folder without-library "$tool"
for name in with-library without-library; do
  (cd "$scratch/$name" && unset DRAV_LOCAL_STEAM LD_LIBRARY_PATH SteamAppId SteamGameId &&
    WINEDEBUG=-all $run "./$(basename "$tool")" </dev/null >../$name.out 2>../$name.err) ||
    fail "$name: exit status $?"
  tr -d '\r' <"$scratch/$name.out" | diff "$scratch/expected" - >&2 || fail "$name: standard output differs"
done

# The status of the last command is the script's.
[ $failures -eq 0 ] && echo "real Steam library: all checks passed"
