#!/usr/bin/env bash
# Installs what the arm64 cross build needs, only when some is missing: Debian's
# aarch64-linux-gnu cross compiler, the arm64 builds of the libraries the core and its
# tests link (through multiarch, so the arm64 architecture is added to dpkg once), qemu's
# user-mode emulator that runs the arm64 binaries, and debootstrap for the arm64 install
# tree. Kept apart from scripts/setup.sh so that the normal set-up stays as fast as it is.
#     bash scripts/setup-arm64.sh
# Then makes sure the kernel hands arm64 executables to qemu (binfmt_misc): a test that
# starts another arm64 program, and everything inside the arm64 tree, needs that.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

packages=(
  g++-aarch64-linux-gnu
  libcurl4-openssl-dev:arm64 libpcre2-dev:arm64 libssl-dev:arm64 libcpp-httplib-dev:arm64
  libgtest-dev:arm64 libgmock-dev:arm64
  # loaded at run time by the token protection (the keyring tests run under emulation too)
  libsecret-1-0:arm64
  qemu-user-static binfmt-support debootstrap
)

added_arch=0
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  echo "setup-arm64: adding the arm64 architecture to dpkg"
  "${sudo_cmd[@]}" dpkg --add-architecture arm64
  added_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
  echo "setup-arm64: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Other builds on this machine may be installing at the same time: wait for dpkg's lock.
  apt_options=(-o DPkg::Lock::Timeout=600)
  "${sudo_cmd[@]}" apt-get "${apt_options[@]}" update -qq
  "${sudo_cmd[@]}" apt-get "${apt_options[@]}" install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
elif ((added_arch)); then
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
fi

# binfmt_misc: in a container it is often not mounted, and nothing there runs the init
# script that registers qemu's formats.
binfmt=/proc/sys/fs/binfmt_misc
if [[ ! -e "$binfmt/register" ]]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
fi
if [[ -e "$binfmt/register" && ! -e "$binfmt/qemu-aarch64" ]]; then
  "${sudo_cmd[@]}" update-binfmts --import qemu-aarch64 >/dev/null 2>&1 || true
fi
if [[ ! -e "$binfmt/qemu-aarch64" ]]; then
  echo "setup-arm64: qemu-aarch64 is not registered with binfmt_misc; arm64 programs" \
    "started by other arm64 programs will not run" >&2
fi
