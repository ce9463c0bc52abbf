# Shared helpers of the project's scripts; sourced, never run.
# Sets $root to the repository's top folder and works from there.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
export DEBIAN_FRONTEND=noninteractive

say() { printf '%s\n' "$*"; }
fail() { printf '%s: %s\n' "${0##*/}" "$*" >&2; exit 1; }

# Runs a command with its output kept in LOG; shows the log only when the
# command fails, so a good run stays short and a bad one shows everything.
quietly() {
  local log=$1; shift
  mkdir -p "$(dirname "$log")"
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] && return 0
  cat "$log" >&2
  printf '%s: failed (%s): %s\n' "${0##*/}" "$status" "$*" >&2
  return "$status"
}

# configure DIR [cmake options...]: (re)configures a build folder.
configure() {
  local dir=$1; shift
  quietly "$dir/configure.log" cmake -S "$root" -B "$dir" "$@"
}

# build DIR [target...]: builds with every core; no targets means all.
build() {
  local dir=$1; shift
  local targets=()
  local target
  for target in "$@"; do targets+=(--target "$target"); done
  quietly "$dir/build.log" cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}
