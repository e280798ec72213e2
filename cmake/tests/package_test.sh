# Checks the two Debian packages that scripts/package.sh made in DIR: their files and
# modes, their control fields, Depends naming the package of every library each program
# links (and, for velmora-headless, no Qt, X11 or GL package), velmora depending on
# velmora-headless of the same version, the units (the system unit's hardening rated by
# systemd-analyze security) and the packaged programs themselves (production endpoints,
# no test CA, stripped, answering --version). Exits 77, counted as skipped, when there
# are none.
#     cmake/tests/package_test.sh DIR VERSION
set -uo pipefail
dir=$1
version=$2
arch=$(dpkg --print-architecture)
headless_deb="$dir/velmora-headless_${version}_${arch}.deb"
window_deb="$dir/velmora_${version}_${arch}.deb"
if [[ ! -f "$headless_deb" || ! -f "$window_deb" ]]; then
    echo "package test: no $headless_deb and $window_deb (bash scripts/package.sh makes them)"
    exit 77
fi

failures=0
fail() {
    echo "package test: $*" >&2
    failures=$((failures + 1))
}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# check_package DEB NAME PROGRAM EXPECTED_FILES: files, fields and Depends of one package,
# which is then unpacked into $tree.
check_package() {
    local deb=$1 name=$2 program=$3 expected_files=$4
    local files
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6, $1, $2}' | LC_ALL=C sort)
    [[ "$files" == "$expected_files" ]] || fail "$name: files differ:
$(diff <(echo "$expected_files") <(echo "$files"))"
    field() { dpkg-deb -f "$deb" "$1"; }
    [[ "$(field Package)" == "$name" ]] || fail "Package: $(field Package), not $name"
    [[ "$(field Version)" == "$version" ]] || fail "$name: Version $(field Version), not $version"
    [[ "$(field Architecture)" == "$arch" ]] || fail "$name: Architecture $(field Architecture)"

    # Depends: the package of each library the program links, found the way apt will
    # find it; nothing from a build.
    depends=$(field Depends)
    depends_names=" $(echo "$depends" | sed 's/([^)]*)//g; s/[,|]/ /g' | tr -s ' ') "
    [[ "$depends_names" =~ -dev\ |gtest|gmock|httplib|benchmark ]] &&
        fail "$name: Depends names build or test packages: $depends"
    dpkg-deb -x "$deb" "$tree"
    local soname path owner candidate
    while read -r soname; do
        # The dynamic loader's line gives its path alone, without "=>".
        path=$(ldd "$tree$program" | awk -v name="$soname" '
            $1 == name {print $3}
            $2 != "=>" && substr($1, length($1) - length(name)) == "/" name {print $1}')
        owner=""
        for candidate in "$path" "/usr$path" "${path#/usr}"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1) && [[ -n "$owner" ]] && break
        done
        if [[ -z "$owner" ]]; then
            fail "$name: no package holds $soname ($path)"
        elif [[ "$depends_names" != *" $owner "* ]]; then
            fail "$name: Depends lacks $owner, which holds $soname: $depends"
        fi
    done < <(readelf -d "$tree$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

    # The program: the production endpoints, no sandbox CA, optimised and stripped.
    local texts
    texts=$(strings -a "$tree$program")
    grep -qx 'api.velmora.example' <<<"$texts" ||
        fail "$name: the program does not hold the production API host"
    grep -E '127\.0\.0\.1:[0-9]|localhost:[0-9]|\.pem$' <<<"$texts" &&
        fail "$name: the program holds a test endpoint or CA file"
    readelf -S "$tree$program" | grep -qE '\.debug_|\.symtab' && fail "$name: the program is not stripped"
    [[ "$("$tree$program" --version)" == "velmora $version" ]] ||
        fail "$name: --version says: $("$tree$program" --version)"
}

check_package "$headless_deb" velmora-headless /usr/bin/velmora-headless \
"./usr/bin/velmora-headless -rwxr-xr-x root/root
./usr/lib/systemd/system/velmora-headless.service -rw-r--r-- root/root
./usr/lib/systemd/user/velmora.service -rw-r--r-- root/root
./usr/share/man/man1/velmora-headless.1.gz -rw-r--r-- root/root"
headless_depends=$depends
[[ "$depends_names" == *" ca-certificates "* ]] || fail "velmora-headless: Depends lacks ca-certificates"
[[ "$depends_names" =~ qt|libx|xcb|libgl|libegl|wayland|icu ]] &&
    fail "velmora-headless: Depends names a window library's package: $depends"
for script in postinst prerm postrm; do
    dpkg-deb -I "$headless_deb" "$script" >/dev/null 2>&1 || fail "velmora-headless has no $script"
done
dpkg-deb -I "$headless_deb" postinst | grep -q 'useradd --system' ||
    fail "velmora-headless's postinst makes no system user"
zcat "$tree/usr/share/man/man1/velmora-headless.1.gz" | grep -q '^\.TH VELMORA-HEADLESS 1' ||
    fail "velmora-headless's manual page has no title line"

check_package "$window_deb" velmora /usr/bin/velmora \
"./usr/bin/velmora -rwxr-xr-x root/root
./usr/share/applications/velmora.desktop -rw-r--r-- root/root
./usr/share/icons/hicolor/128x128/apps/velmora.png -rw-r--r-- root/root"
[[ "$depends" == *"velmora-headless (= $version)"* ]] ||
    fail "velmora does not depend on velmora-headless (= $version): $depends"

# The user unit: starts the packaged program, restarts it, never gives up.
unit="$tree/usr/lib/systemd/user/velmora.service"
for line in "ExecStart=/usr/bin/velmora-headless" "Restart=on-failure" "RestartSec=60" \
    "StartLimitIntervalSec=0" "RestartPreventExitStatus=2" "WantedBy=default.target"; do
    grep -qx "$line" "$unit" || fail "the user unit lacks $line"
done
# The system unit: the service's own user and settings, hardened.
system_unit="$tree/usr/lib/systemd/system/velmora-headless.service"
for line in "ExecStart=/usr/bin/velmora-headless --system" "User=velmora" "NoNewPrivileges=yes" \
    "CapabilityBoundingSet=" "ProtectSystem=strict" "ProtectHome=yes" "PrivateTmp=yes" \
    "RestrictAddressFamilies=AF_INET AF_INET6 AF_UNIX AF_NETLINK" \
    "SystemCallFilter=@system-service" "RuntimeDirectory=velmora" "StateDirectory=velmora" \
    "WantedBy=multi-user.target"; do
    grep -qx "$line" "$system_unit" || fail "the system unit lacks $line"
done
if command -v systemd-analyze >/dev/null; then
    # Verified against the extracted program, as /usr/bin is not where it is here.
    for unit_file in "$unit" "$system_unit"; do
        copy="$tree/$(basename "$unit_file")"
        # (Nor is its manual page installed here.)
        sed "s|^ExecStart=/usr/bin/|ExecStart=$tree/usr/bin/|; /^Documentation=man:/d" \
            "$unit_file" >"$copy"
        complaints=$(systemd-analyze verify "$copy" 2>&1) && [[ -z "$complaints" ]] ||
            fail "systemd-analyze verify $(basename "$unit_file"): $complaints"
    done
    rating=$(systemd-analyze security --offline=yes "$tree/velmora-headless.service" 2>&1 |
        sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
    echo "package test: systemd-analyze security rates velmora-headless.service ${rating:-?}"
    [[ -n "$rating" ]] && awk -v r="$rating" 'BEGIN {exit !(r <= 2.0)}' ||
        fail "the system unit's exposure is ${rating:-not rated}, above 2.0"
fi

if ((failures > 0)); then
    echo "package test: $failures check(s) failed" >&2
    exit 1
fi
echo "package test: both packages are sound (velmora-headless Depends: $headless_depends)"
