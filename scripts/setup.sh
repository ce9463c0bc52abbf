#!/usr/bin/env bash
# Installs what the project needs on a Debian machine, from Debian's
# packages only, and only what is missing: a second run asks no network.
#
#   scripts/setup.sh [linux] [tests] [windows]    (no argument: all three)
#
#   linux    compiler, CMake, GoogleTest sources, JSON headers, Python
#   tests    npm, which fetches the Steam libraries for the real-library test
#   windows  the MinGW-w64 cross-compilers and Wine, 64- and 32-bit (the
#            i386 architecture is added to dpkg when it is missing)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

linuxPackages=(cmake g++ make python3 libgtest-dev googletest nlohmann-json3-dev)
windowsPackages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 wine32:i386)

isInstalled() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q ' installed$'
}

missing=()
want() {
  local package
  for package in "$@"; do
    isInstalled "$package" || missing+=("$package")
  done
}

# googletest brings the sources in /usr/src/googletest that the build
# compiles with the project's own flags and compilers.
wantLinux() {
  want "${linuxPackages[@]}"
}

# Node may come from elsewhere than Debian (and bring its own npm), so the
# commands decide, not the package database.
wantTests() {
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
}

wantWindows() {
  want "${windowsPackages[@]}"
}

[ $# -gt 0 ] || set -- linux tests windows
for part in "$@"; do
  case $part in
    linux) wantLinux ;;
    tests) wantTests ;;
    windows) wantWindows ;;
    *) fail "unknown part '$part' (linux, tests or windows)" ;;
  esac
done

[ ${#missing[@]} -gt 0 ] || exit 0

asRoot=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || fail "run as root to install: ${missing[*]}"
  asRoot=(sudo -n)
fi
# 32-bit Wine comes from the i386 architecture, which a fresh machine lacks;
# apt-get update below then fetches its package lists.
enableI386() {
  local package
  for package in "${missing[@]}"; do
    case $package in *:i386) ;; *) continue ;; esac
    dpkg --print-foreign-architectures | grep -qx i386 ||
      "${asRoot[@]}" dpkg --add-architecture i386
    return 0
  done
}

say "setup: installing ${missing[*]}"
enableI386
quietly "$root/.cache/setup/apt-update.log" "${asRoot[@]}" apt-get update
quietly "$root/.cache/setup/apt-install.log" "${asRoot[@]}" \
  env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -o Dpkg::Options::=--force-confold "${missing[@]}"
