#!/usr/bin/env bash
# Installs the Debian packages (bash scripts/package.sh [--arch arm64] makes them) into a
# fresh Debian 12 tree and runs them there. apt gets the packages' Depends only, no
# Recommends, so the programs running there show that they are all they need; what each
# package pulls into the minimal tree is printed.
#     bash scripts/install-test.sh [--arch arm64]
# This machine's architecture: velmora-headless alone first (it must pull in no window
# library), set up as the system service is (--system --login from standard input,
# --system --watch, --system --protect-token) and its loop run as the service's user on a
# read-only /etc with the token's systemd credential, then velmora beside it.
# arm64: velmora-headless in an arm64 tree, where every program runs under qemu's
# user-mode emulation: --version, --help, two --once passes, and the loop's resident
# memory (qemu's own included, so indicative only).
# The bookworm base tree is made once with debootstrap and kept in build/install-test/base
# (build/install-test-arm64/base: debootstrap's second stage runs inside the tree under
# emulation); each run installs into a new copy of it. Needs root (chroot, mounts) and
# Debian's mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
native=$(dpkg --print-architecture)
arch=$native
if [[ "${1:-}" == "--arch" && -n "${2:-}" ]]; then
    arch=$2
elif [[ $# -gt 0 ]]; then
    echo "usage: bash scripts/install-test.sh [--arch arm64]" >&2
    exit 2
fi
name=install-test packages_dir=build/package
if [[ "$arch" != "$native" ]]; then
    [[ "$arch" == arm64 ]] || { echo "install-test: only arm64 is cross-built" >&2; exit 2; }
    name=install-test-$arch packages_dir=build/package-$arch
fi
work="$root/build/$name"
base="$work/base"
tree="$work/tree"
mirror=http://deb.debian.org/debian
started=$SECONDS

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$packages_dir/CMakeCache.txt" 2>/dev/null)
deb="$packages_dir/velmora_${version}_${arch}.deb"
headless_deb="$packages_dir/velmora-headless_${version}_${arch}.deb"
if [[ -z "$version" || ! -f "$headless_deb" || ("$arch" == "$native" && ! -f "$deb") ]]; then
    echo "$name: no packages in $packages_dir; make them with: bash scripts/package.sh" \
        "$([[ "$arch" == "$native" ]] || echo "--arch $arch")" >&2
    exit 1
fi
if [[ "$arch" == "$native" ]]; then
    needed=()
    for p in debootstrap; do
        [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" == "install ok installed" ]] ||
            needed+=("$p")
    done
    if ((${#needed[@]} > 0)); then
        echo "$name: installing ${needed[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${needed[@]}" >/dev/null
    fi
else
    bash scripts/setup-arm64.sh
fi

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
    echo "$name: $*" >&2
    exit 1
}
[[ "$arch" == "$native" || -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]] ||
    fail "qemu-aarch64 is not registered with binfmt_misc: nothing runs inside an arm64 tree"

if [[ ! -f "$base/.complete" ]]; then
    echo "$name: making the $arch bookworm base tree in $base (a few minutes, once)"
    rm -rf --one-file-system "$base"
    mkdir -p "$work"
    if [[ "$arch" == "$native" ]]; then
        debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
            { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap failed (log: $work/debootstrap.log)"; }
    else
        debootstrap --arch="$arch" --foreign --variant=minbase bookworm "$base" "$mirror" \
            >"$work/debootstrap.log" 2>&1 ||
            { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap's first stage failed"; }
        chroot "$base" /debootstrap/debootstrap --second-stage >>"$work/debootstrap.log" 2>&1 ||
            { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap's second stage failed"; }
    fi
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
# The provider's names lead to this machine's loopback: nothing the program does in the
# tree reaches past it, and a sandbox outside the tree can stand in for the provider.
printf '127.0.0.1 %s\n' api.velmora.example httpdns.velmora.example httpdns6.velmora.example \
    www.velmora.example console.velmora.example www.example.com >>"$tree/etc/hosts"
[[ "$arch" == "$native" || "$(in_tree dpkg --print-architecture)" == "$arch" ]] ||
    fail "the tree does not run as $arch"

# install_in_tree DEB LABEL: apt install, then what it pulled in (packages, MiB).
install_in_tree() {
    local before_count before_size
    before_count=$(in_tree dpkg-query -W -f='${binary:Package}\n' | wc -l)
    before_size=$(in_tree dpkg-query -W -f='${Installed-Size}\n' | awk '{s += $1} END {print s}')
    cp "$1" "$tree/tmp/"
    in_tree env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "/tmp/$(basename "$1")" >"$work/apt-install-$2.log" 2>&1 ||
        { tail -n 20 "$work/apt-install-$2.log" >&2; fail "apt install $2 failed (log: $work/apt-install-$2.log)"; }
    pulled_count=$(($(in_tree dpkg-query -W -f='${binary:Package}\n' | wc -l) - before_count))
    pulled_size=$(in_tree dpkg-query -W -f='${Installed-Size}\n' |
        awk -v b="$before_size" '{s += $1} END {printf "%.1f", (s - b) / 1024}')
    echo "$name: $2 pulled $pulled_count packages, $pulled_size MiB into the tree"
}

echo "$name: apt install ./$(basename "$headless_deb") in a fresh $arch bookworm tree"
in_tree apt-get update -qq >/dev/null
install_in_tree "$headless_deb" velmora-headless
window_libraries=$(in_tree dpkg-query -W -f='${binary:Package}\n' |
    grep -E '^(libqt|libx11|libxcb|libgl|libegl|libwayland|libicu|libllvm|libdrm)' || true)
[[ -z "$window_libraries" ]] || fail "velmora-headless pulled in window libraries: $window_libraries"
said=$(in_tree velmora-headless --version)
[[ "$said" == "velmora $version" ]] || fail "velmora-headless --version said: $said"
# Output is read whole before it is searched: grep -q leaves at its first match, and a
# program still writing would then die of SIGPIPE and fail the pipeline.
shows() {  # shows <pattern> <program and its options...>
    local pattern=$1 output
    shift
    output=$(in_tree "$@") && grep -q "$pattern" <<<"$output"
}
shows '^用法：velmora-headless' velmora-headless --help || fail "--help has no usage line"
[[ "$(in_tree stat -c '%U %a' /etc/velmora /etc/velmora/velmora.ini /var/lib/velmora)" == \
    "velmora 700"$'\n'"velmora 600"$'\n'"velmora 700" ]] ||
    fail "the package made no private settings and state folders of the service's user"

# A sandbox outside the tree stands in for the provider on loopback, on the ports the
# packaged program uses (the time site's port 80 is the HTTP-DNS endpoint's, so the time
# lookup finds nothing there), and its CA joins the tree's certificate store.
for port in 443 80; do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        fail "port $port on 127.0.0.1 is taken; the sandbox needs it"
    fi
done
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
grep -qF "$(sed -n 2p "$ca_file")" "$tree/etc/ssl/certs/ca-certificates.crt" ||
    fail "the sandbox's CA is not in the tree's certificate store"
reply=$(in_tree bash -c 'exec 3<>/dev/tcp/httpdns.velmora.example/80 &&
    printf "GET /d?dn=www.velmora.example&clientip=1 HTTP/1.0\r\n\r\n" >&3 && cat <&3')
[[ "$reply" == *"|203.0.113.60" ]] || fail "the sandbox cannot be reached from the tree: $reply"

# Two --once passes against the sandbox, as a cron job would run them: the settings (GBK,
# as a window session writes them) hold the demo account and its watched record www
# (5001, 198.51.100.10); the sandbox reports 203.0.113.60, so the first pass changes the
# record and the second finds it unchanged.
two_passes() {  # two_passes <program and its options...>
    local settings_dir="$tree/root/.config/velmora" pass status
    mkdir -p "$settings_dir"
    chmod 700 "$tree/root/.config" "$settings_dir"
    printf '[%s]\r\nID=100001\r\nToken=5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24\r\n[%s]\r\n1001=5001\r\n' \
        "$(printf '\xb5\xc7\xc8\xeb\xca\xfd\xbe\xdd')" "$(printf '\xbc\xe0\xbf\xd8\xbc\xc7\xc2\xbc')" \
        >"$settings_dir/velmora.ini"
    for pass in changed unchanged; do
        status=0
        in_tree "$@" --once >"$work/once-$pass.log" 2>&1 || status=$?
        cat "$work/once-$pass.log"
        [[ $status -eq 0 ]] || fail "$* --once ($pass) ended with status $status"
    done
    grep -q '：更新记录值成功|IP为：203.0.113.60$' "$work/once-changed.log" ||
        fail "the first pass did not change the record"
    grep -q '：公网IP无变化，无需更新，120秒后重新检测$' "$work/once-unchanged.log" ||
        fail "the second pass did not find the record unchanged"
    grep -q '更新记录值成功' "$settings_dir/velmora.log" || fail "no history file beside the settings"
}

if [[ "$arch" != "$native" ]]; then
    two_passes velmora-headless
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
    echo "$name: the loop under qemu holds" \
        "$(awk '/^VmRSS/ {print $2, $3}' "/proc/$loop_pid/status") resident (qemu's own included)"
    echo "$name: passed in $((SECONDS - started)) s"
    exit 0
fi

# The system service, set up from a shell as root: the login from standard input and a
# record watched by name, the settings file keeping its owner and mode.
printf '100001\n5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24\n' | in_tree velmora-headless --system --login ||
    fail "velmora-headless --system --login failed"
in_tree velmora-headless --system --watch velmora-demo.example --type A ||
    fail "velmora-headless --system --watch failed"
[[ "$(in_tree stat -c '%U %a' /etc/velmora/velmora.ini)" == "velmora 600" ]] ||
    fail "the settings lost their owner or mode: $(in_tree stat -c '%U %a' /etc/velmora/velmora.ini)"
shows '^  @  *A  *198.51.100.10  *5002  *监控中$' velmora-headless --system --list ||
    fail "--system --list does not show the watched record"
# The token protected for the service (systemd-creds comes with systemd, which a minimal
# tree lacks): encrypted with the host's key, the settings' Token emptied (the key kept),
# and the unit told through a drop-in to load it.
in_tree env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends systemd \
    >"$work/apt-install-systemd.log" 2>&1 || fail "apt install systemd failed (log: $work/apt-install-systemd.log)"
in_tree velmora-headless --system --protect-token || fail "velmora-headless --system --protect-token failed"
token=5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24
grep -q $'^Token=\r$' "$tree/etc/velmora/velmora.ini" || fail "the settings' Token was not emptied"
for file in "$tree/etc/velmora/velmora.ini" "$tree/etc/velmora/token.cred"; do
    ! grep -qF "$token" "$file" || fail "the token stands in clear in $file"
done
grep -qx 'LoadCredentialEncrypted=velmora-token:/etc/velmora/token.cred' \
    "$tree/etc/systemd/system/velmora-headless.service.d/token.conf" || fail "no drop-in loads the credential"
# Root's set-up goes on with the credential: a listing logs in with it, and a new login
# goes into it, not into the file.
shows '^  @  *A  *198.51.100.10  *5002  *监控中$' velmora-headless --system --list ||
    fail "--system --list does not log in with the protected token"
printf '100001\n%s\n' "$token" | in_tree velmora-headless --system --login ||
    fail "velmora-headless --system --login with the token protected failed"
grep -q $'^Token=\r$' "$tree/etc/velmora/velmora.ini" || fail "a login wrote the token into the settings"
# Its loop as the service's user, with /etc read-only, a runtime folder and the token's
# credential as the unit gives them (the tree runs no systemd: the credential is
# decrypted into a folder only that user reads, as systemd does): the record follows the
# sandbox's address.
mount --bind "$tree/etc/velmora" "$tree/etc/velmora"
mount -o remount,bind,ro "$tree/etc/velmora"
in_tree install -d -m 0700 -o velmora -g velmora /run/velmora
credentials=/run/credentials/velmora-headless.service
in_tree install -d -m 0500 -o velmora -g velmora "$credentials"
in_tree systemd-creds decrypt --name=velmora-token /etc/velmora/token.cred "$credentials/velmora-token" ||
    fail "systemd-creds cannot decrypt the service's credential"
in_tree chown velmora:velmora "$credentials/velmora-token"
in_tree chmod 0400 "$credentials/velmora-token"
status=0
in_tree setpriv --reuid=velmora --regid=velmora --init-groups env RUNTIME_DIRECTORY=/run/velmora \
    CREDENTIALS_DIRECTORY="$credentials" \
    velmora-headless --system --once >"$work/service.log" 2>&1 || status=$?
cat "$work/service.log"
[[ $status -eq 0 ]] || fail "the service's pass ended with status $status"
grep -q '：更新记录值成功|IP为：203.0.113.60$' "$work/service.log" ||
    fail "the service's pass did not change the record"
grep -q '改放在 /run/velmora/' "$work/service.log" || fail "the lock did not go to the runtime folder"
grep -q '更新记录值成功' "$tree/var/lib/velmora/velmora.log" || fail "no history in /var/lib/velmora"

headless_count=$pulled_count headless_size=$pulled_size
echo "$name: apt install ./$(basename "$deb") beside it"
install_in_tree "$deb" velmora
echo "$name: velmora with velmora-headless pulls $((headless_count + pulled_count)) packages," \
    "$(awk -v a="$headless_size" -v b="$pulled_size" 'BEGIN {printf "%.1f", a + b}') MiB"

said=$(in_tree velmora --version)
[[ "$said" == "velmora $version" ]] || fail "velmora --version said: $said"
shows '^用法：velmora' velmora --help || fail "velmora --help has no usage line"
# Every library of the program and of Qt's window-system plugins is there.
missing=$(in_tree sh -c 'ldd /usr/bin/velmora /usr/lib/*/qt6/plugins/platforms/*.so' | grep 'not found' || true)
[[ -z "$missing" ]] || fail "libraries missing in the tree: $missing"

# The window comes up (on Qt's offscreen platform) and is still running after five
# seconds; its settings folder is made where XDG_CONFIG_HOME says.
status=0
in_tree env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=/tmp/config timeout 5 velmora \
    >"$work/window.log" 2>&1 || status=$?
[[ $status -eq 124 ]] || { cat "$work/window.log" >&2; fail "the window ended early (status $status)"; }
[[ "$(stat -c %a "$tree/tmp/config/velmora")" == 700 ]] || fail "no private settings folder made"

two_passes velmora --headless

echo "$name: passed in $((SECONDS - started)) s ($(in_tree dpkg-query -W -f='${binary:Package}\n' | wc -l) packages in the tree)"
