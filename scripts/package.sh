#!/usr/bin/env bash
# Builds the Debian package build/package/velmora_<version>_<arch>.deb: the program with
# the production endpoints (the cache's defaults, set afresh each time), optimised and
# stripped, with its desktop entry, icon and systemd user unit; then checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/package

bash scripts/setup.sh

# --fresh: no endpoint, CA file or build type left in the cache by an earlier configure.
# -O2 and the hardening flags Debian builds its own packages with (GCC 12's -O3 raises
# false -Wrestrict warnings in libstdc++).
cmake --fresh -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-fstack-protector-strong -D_FORTIFY_SOURCE=2 -fcf-protection" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELMORA_WERROR=ON \
    -DVELMORA_BUILD_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
# Only the program: the package holds nothing else, and cpack builds nothing itself.
cmake --build "$build" --target velmora -j2
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
bash cmake/tests/package_test.sh "$build" "$version"
