#!/usr/bin/env bash
# Builds the two Debian packages in build/package: velmora-headless_<version>_<arch>.deb
# (the updater without a window, its system and user units and manual page) and
# velmora_<version>_<arch>.deb (the window, its desktop entry and icon), the programs
# with the production endpoints (the cache's defaults, set afresh each time), optimised
# and stripped; then checks them.
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
# Only the programs and the manual page: the packages hold nothing else, and cpack
# builds nothing itself.
cmake --build "$build" --target velmora velmora-headless velmora_manual_page -j2
rm -f "$build"/velmora_*.deb "$build"/velmora-headless_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
bash cmake/tests/package_test.sh "$build" "$version"
