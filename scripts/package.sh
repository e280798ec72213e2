#!/usr/bin/env bash
# Builds the Debian packages in build/package: velmora-headless_<version>_<arch>.deb (the
# updater without a window, its system and user units and manual page) and
# velmora_<version>_<arch>.deb (the window, its desktop entry and icon), the programs with
# the production endpoints (the cache's defaults, set afresh each time), optimised and
# stripped; then checks them.
#     bash scripts/package.sh [--arch arm64]
# With --arch arm64: cross-built in build/package-arm64 (bash scripts/setup-arm64.sh
# installs the toolchain), only velmora-headless, whose Depends dpkg-shlibdeps works out
# from the arm64 libraries' own shlibs.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=$(dpkg --print-architecture)
case "${1:-}" in
    "") ;;
    --arch) arch=${2:?"package: --arch needs an architecture"} ;;
    *) echo "usage: bash scripts/package.sh [--arch arm64]" >&2; exit 2 ;;
esac

# -O2 and the hardening flags Debian builds its own packages with (GCC 12's -O3 raises
# false -Wrestrict warnings in libstdc++); the control-flow protection is the
# architecture's own.
if [[ "$arch" == "$(dpkg --print-architecture)" ]]; then
    build=build/package
    bash scripts/setup.sh
    control_flow=-fcf-protection
    cross=()
    targets=(velmora velmora-headless)
    extras=(velmora_manual_page)
    cpack_options=()
elif [[ "$arch" == arm64 ]]; then
    build=build/package-arm64
    bash scripts/setup-arm64.sh
    control_flow=-mbranch-protection=standard
    # No Qt for arm64 here: the window stays x86-64 only.
    cross=(--toolchain cmake/aarch64-linux-gnu.cmake -DVELMORA_BUILD_WINDOW=OFF)
    targets=(velmora-headless)
    extras=(velmora_manual_page)
    cpack_options=(-D CPACK_DEBIAN_PACKAGE_ARCHITECTURE=arm64 -D CPACK_COMPONENTS_ALL=headless)
else
    echo "package: no build for $arch (this machine's $(dpkg --print-architecture), or arm64)" >&2
    exit 2
fi

# --fresh: no endpoint, CA file or build type left in the cache by an earlier configure.
cmake --fresh -S . -B "$build" -G Ninja "${cross[@]}" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-fstack-protector-strong -D_FORTIFY_SOURCE=2 $control_flow" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELMORA_WERROR=ON \
    -DVELMORA_BUILD_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null ||
    { echo "package: configuring the $arch build in $build failed" >&2; exit 1; }
built=$(ninja -C "$build" -t targets all)
for target in "${targets[@]}"; do
    grep -q "^$target:" <<<"$built" ||
        { echo "package: this tree has no $target to package for $arch" >&2; exit 1; }
done
# What the package holds beside the program, where this tree makes it.
for target in "${extras[@]}"; do
    if grep -q "^$target:" <<<"$built"; then targets+=("$target"); fi
done
# Only the programs and the manual page: the packages hold nothing else, and cpack builds nothing itself.
cmake --build "$build" --target "${targets[@]}" -j2
rm -f "$build"/velmora_*.deb "$build"/velmora-headless_*.deb
(cd "$build" && cpack -G DEB "${cpack_options[@]}" >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [[ "$arch" == "$(dpkg --print-architecture)" ]]; then
    bash cmake/tests/package_test.sh "$build" "$version"
    exit
fi

# The cross-built package: its architecture, an arm64 program that answers --version
# (under qemu, through binfmt_misc), and Depends from the arm64 libraries' shlibs that
# name no window library.
deb="$build/velmora-headless_${version}_$arch.deb"
fail() {
    echo "package: $*" >&2
    exit 1
}
[[ -f "$deb" ]] || fail "cpack made no $deb"
[[ "$(dpkg-deb -f "$deb" Architecture)" == "$arch" ]] ||
    fail "Architecture: $(dpkg-deb -f "$deb" Architecture)"
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *"libcurl4 "* && "$depends" == *"libc6 "* ]] ||
    fail "Depends lacks the libraries the program links: $depends"
[[ "$depends" =~ qt|libx|libgl|-cross|-dev ]] && fail "Depends names $BASH_REMATCH: $depends"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
program="$tree/usr/bin/velmora-headless"
readelf -h "$program" | grep -q 'Machine:.*AArch64' || fail "$program is not an arm64 program"
said=$("$program" --version) || fail "$program --version failed"
[[ "$said" == "velmora $version" ]] || fail "--version says: $said"
echo "package: $deb is sound (Depends: $depends)"
