#!/usr/bin/env bash
# Builds velmora.exe and velmora-headless.exe for Windows (mingw-w64, statically linked,
# the windows preset's optimised build with their debug information stripped) and packs
# them with the read-me into
# build/windows-release/velmora-windows-x86_64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build/windows-release
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target velmora velmora-headless -j2

staging="$build/package"
rm -rf "$staging" "$build/velmora-windows-x86_64.zip"
mkdir -p "$staging"
x86_64-w64-mingw32-strip -o "$staging/velmora.exe" "$build/app/velmora.exe"
x86_64-w64-mingw32-strip -o "$staging/velmora-headless.exe" "$build/app/velmora-headless.exe"
# UTF-8 with its byte-order mark and CR LF lines, as every Windows editor reads it.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' app/resources/windows-readme.txt; } >"$staging/README.txt"
(cd "$staging" && cmake -E tar cf ../velmora-windows-x86_64.zip --format=zip velmora.exe velmora-headless.exe \
  README.txt)
echo "windows-release: $build/velmora-windows-x86_64.zip"
