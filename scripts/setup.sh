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
  libsecret-1-0 gnome-keyring dbus-daemon
)

# Where the arm64 architecture was added (scripts/setup-arm64.sh), a library can be
# installed for both: this machine's own build (or an architecture-independent package)
# is what counts here.
native=$(dpkg --print-architecture)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Architecture} ${Status}\n' "$p" 2>/dev/null |
    grep -Ex "($native|all) install ok installed" >/dev/null || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
