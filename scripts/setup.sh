#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
# Quiet when everything is already there; runs apt-get update only before an install.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev libcurl4-openssl-dev libpcre2-dev libssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev
  openssl ca-certificates xvfb xauth libx11-dev libxtst-dev trayer fonts-wqy-microhei iproute2
  clang libclang-rt-14-dev clang-format-15
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest locales
)

missing=()
for p in "${packages[@]}"; do
  # One line an installed architecture: another architecture's copy (a cross build's
  # arm64 libraries) must not hide the native one.
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -qx "install ok installed" ||
    missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
