#!/usr/bin/env bash
# Installs the arm64 package velmora-headless (bash scripts/package.sh --arch arm64 makes
# it) into a fresh arm64 Debian 12 tree, where every program runs under qemu's user-mode
# emulation, and runs it there: --version, --help, then two --once passes against a
# sandbox outside the tree. Prints what the package pulls into the minimal tree and the
# loop's resident memory under emulation (qemu's own included, so indicative only).
#     bash scripts/install-test-arm64.sh
# The bookworm base tree is made once in build/install-test-arm64/base, with debootstrap's
# first stage here and its second stage inside the tree under emulation; each run installs
# into a new copy of it. Needs root (chroot, mounts) and Debian's mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work="$root/build/install-test-arm64"
base="$work/base"
tree="$work/tree"
mirror=http://deb.debian.org/debian
started=$SECONDS

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package-arm64/CMakeCache.txt 2>/dev/null)
deb="build/package-arm64/velmora-headless_${version}_arm64.deb"
if [[ -z "$version" || ! -f "$deb" ]]; then
    echo "install-test-arm64: no package in build/package-arm64; make it with:" \
        "bash scripts/package.sh --arch arm64" >&2
    exit 1
fi
bash scripts/setup-arm64.sh

sandbox_pid=""
loop_pid=""
# The tree's mounts go first, whatever else fails: a /dev left bound into the tree would
# be this machine's own /dev under the next run's rm.
unmount_tree() {
    local point
    while read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null || true
    done < <(awk -v tree="$tree/" 'index($2, tree) == 1 {print $2}' /proc/mounts | sort -r)
}
cleanup() {
    unmount_tree
    # Ended by the signal, so their status is not the test's.
    local pid
    for pid in $loop_pid $sandbox_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT
in_tree() { chroot "$tree" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
fail() {
    echo "install-test-arm64: $*" >&2
    exit 1
}
[[ -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]] ||
    fail "qemu-aarch64 is not registered with binfmt_misc: nothing runs inside an arm64 tree"

if [[ ! -f "$base/.complete" ]]; then
    echo "install-test-arm64: making the arm64 bookworm base tree in $base (once)"
    rm -rf --one-file-system "$base"
    mkdir -p "$work"
    step=$SECONDS
    debootstrap --arch=arm64 --foreign --variant=minbase bookworm "$base" "$mirror" \
        >"$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap's first stage failed"; }
    echo "install-test-arm64: first stage (download, unpack) took $((SECONDS - step)) s"
    step=$SECONDS
    chroot "$base" /debootstrap/debootstrap --second-stage >>"$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap's second stage failed"; }
    echo "install-test-arm64: second stage (configure, under qemu) took $((SECONDS - step)) s"
    touch "$base/.complete"
fi
# A tree left mounted by a run that was killed: unmounted, and the removal never leaves
# the tree's own file system in any case.
unmount_tree
grep -qF " $tree/" /proc/mounts && fail "$tree still has mounts; not removing it"
rm -rf --one-file-system "$tree"
cp -a "$base" "$tree"
rm "$tree/.complete"
mount -t proc proc "$tree/proc"
mount --bind /dev "$tree/dev"
cp /etc/resolv.conf "$tree/etc/resolv.conf"
# The provider's names lead to this machine's loopback, where the sandbox stands in.
printf '127.0.0.1 %s\n' api.velmora.example httpdns.velmora.example httpdns6.velmora.example \
    www.velmora.example console.velmora.example www.example.com >>"$tree/etc/hosts"
[[ "$(in_tree uname -m)" == aarch64 ]] || fail "the tree does not run as arm64"

packages() { in_tree dpkg-query -W -f='${binary:Package}\t${Installed-Size}\n' | LC_ALL=C sort; }
before=$(packages)
echo "install-test-arm64: apt install ./$(basename "$deb") in a fresh arm64 bookworm tree"
cp "$deb" "$tree/tmp/"
step=$SECONDS
in_tree apt-get update -qq >/dev/null
in_tree env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "/tmp/$(basename "$deb")" >"$work/apt-install.log" 2>&1 ||
    { tail -n 20 "$work/apt-install.log" >&2; fail "apt install failed (log: $work/apt-install.log)"; }
echo "install-test-arm64: apt install took $((SECONDS - step)) s;" \
    "$(comm -13 <(echo "$before") <(packages) |
        awk '{kib += $2} END {printf "%d packages, %.1f MiB pulled in", NR, kib / 1024}')"
added=$(comm -13 <(echo "$before") <(packages) | cut -f1)
grep -Ei 'qt|libx|libgl|wayland' <<<"$added" && fail "the package pulled in a window library"

said=$(in_tree velmora-headless --version)
[[ "$said" == "velmora $version" ]] || fail "velmora-headless --version said: $said"
in_tree velmora-headless --help | grep -q '^用法：velmora-headless' || fail "--help has no usage line"

for port in 443 80; do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        fail "port $port on 127.0.0.1 is taken; the sandbox needs it"
    fi
done
# The sandbox is this machine's own program, on the ports the packaged program uses.
cmake --preset default >/dev/null
cmake --build build/default --target velmora-sandbox -j2 >/dev/null
ca_file="$tree/usr/local/share/ca-certificates/velmora-sandbox.crt"
ports_file="$work/sandbox-ports.txt"
build/default/sandbox/velmora-sandbox --api-port 443 --dns-port 80 --ca-file "$ca_file" \
    --dns-name api.velmora.example --public-address 203.0.113.60 >"$ports_file" &
sandbox_pid=$!
for _ in $(seq 100); do
    grep -q '^ca_file=' "$ports_file" && break
    kill -0 "$sandbox_pid" 2>/dev/null || fail "the sandbox did not start"
    sleep 0.1
done
in_tree update-ca-certificates >"$work/ca-update.log" 2>&1

# The demo account and its watched record www (5001, 198.51.100.10), in GBK as a window
# session writes them: the first pass changes the record, the second finds it unchanged.
settings_dir="$tree/root/.config/velmora"
mkdir -p "$settings_dir"
chmod 700 "$tree/root/.config" "$settings_dir"
printf '[%s]\r\nID=100001\r\nToken=5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24\r\n[%s]\r\n1001=5001\r\n' \
    "$(printf '\xb5\xc7\xc8\xeb\xca\xfd\xbe\xdd')" "$(printf '\xbc\xe0\xbf\xd8\xbc\xc7\xc2\xbc')" \
    >"$settings_dir/velmora.ini"
for pass in changed unchanged; do
    status=0
    in_tree velmora-headless --once >"$work/headless-$pass.log" 2>&1 || status=$?
    cat "$work/headless-$pass.log"
    [[ $status -eq 0 ]] || fail "velmora-headless --once ($pass) ended with status $status"
done
grep -q '：更新记录值成功|IP为：203.0.113.60$' "$work/headless-changed.log" ||
    fail "the first pass did not change the record"
grep -q '：公网IP无变化，无需更新，120秒后重新检测$' "$work/headless-unchanged.log" ||
    fail "the second pass did not find the record unchanged"

# The loop left running after its first pass: its resident memory, qemu's included.
# (chroot, env and the program are one process, which the clean-up can end)
chroot "$tree" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    velmora-headless >"$work/loop.log" 2>&1 &
loop_pid=$!
for _ in $(seq 300); do
    grep -q '120秒后重新检测' "$work/loop.log" && break
    sleep 0.1
done
grep -q '120秒后重新检测' "$work/loop.log" || fail "the loop made no pass: $(cat "$work/loop.log")"
echo "install-test-arm64: the loop under qemu holds" \
    "$(awk '/^VmRSS/ {print $2, $3}' "/proc/$loop_pid/status") resident (qemu's own included)"

echo "install-test-arm64: passed in $((SECONDS - started)) s"
