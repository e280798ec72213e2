# Cross-compiling for 64-bit ARM Linux with Debian's aarch64-linux-gnu toolchain, against
# the arm64 builds of the libraries installed through multiarch (headers in /usr/include,
# libraries in /usr/lib/aarch64-linux-gnu; bash scripts/setup-arm64.sh installs both).
# Tests and other built programs run under qemu's user-mode emulator, which finds the
# arm64 loader and libraries at their multiarch paths in this machine's own root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)

# The arm64 .pc files only, never this machine's own.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
