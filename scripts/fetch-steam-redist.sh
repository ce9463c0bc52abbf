#!/bin/sh
# Installs the npm package steamworks.js, whose dist/ folder carries the
# redistributable Steam libraries for Linux x86_64 and Windows x64, into
# .cache/steamworks (git-ignored; the libraries are never committed). They
# are test inputs only: players use the library that their game ships.
#
# Prints two lines, ready for eval:
#   STEAM_REDIST_LINUX64=<path of libsteam_api.so>
#   STEAM_REDIST_WIN64=<path of steam_api64.dll>
# Exits 1 when the package can't be installed (no npm, no registry).
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${STEAM_REDIST_PREFIX:-$root/.cache/steamworks}
package=steamworks.js@0.4.0
dist=$prefix/node_modules/steamworks.js/dist

if [ ! -f "$dist/linux64/libsteam_api.so" ] || [ ! -f "$dist/win64/steam_api64.dll" ]; then
  command -v npm >/dev/null 2>&1 || { echo "npm not found" >&2; exit 1; }
  mkdir -p "$prefix"
  # --ignore-scripts: only the shipped files are wanted, nothing is built.
  npm install --prefix "$prefix" "$package" --no-save --ignore-scripts \
    --no-audit --no-fund >&2 || exit 1
fi
for lib in "$dist/linux64/libsteam_api.so" "$dist/win64/steam_api64.dll"; do
  [ -f "$lib" ] || { echo "missing after install: $lib" >&2; exit 1; }
done

echo "STEAM_REDIST_LINUX64=$dist/linux64/libsteam_api.so"
echo "STEAM_REDIST_WIN64=$dist/win64/steam_api64.dll"
