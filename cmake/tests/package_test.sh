#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made in DIR: its files and their
# modes, its control fields, Depends naming the package of every library the program
# links, the user unit, and the packaged program itself (production endpoints, no test
# CA, stripped, answering --version). Exits 77, counted as skipped, when there is none.
#     cmake/tests/package_test.sh DIR VERSION
set -uo pipefail
dir=$1
version=$2
deb="$dir/velmora_${version}_$(dpkg --print-architecture).deb"
if [[ ! -f "$deb" ]]; then
    echo "package test: no $deb (bash scripts/package.sh makes it)"
    exit 77
fi

failures=0
fail() {
    echo "package test: $*" >&2
    failures=$((failures + 1))
}

# Files (folders aside): exactly these, owned by root, with these modes.
expected_files="./usr/bin/velmora -rwxr-xr-x root/root
./usr/lib/systemd/user/velmora.service -rw-r--r-- root/root
./usr/share/applications/velmora.desktop -rw-r--r-- root/root
./usr/share/icons/hicolor/128x128/apps/velmora.png -rw-r--r-- root/root"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6, $1, $2}' | LC_ALL=C sort)
[[ "$files" == "$expected_files" ]] || fail "files differ:
$(diff <(echo "$expected_files") <(echo "$files"))"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == velmora ]] || fail "Package: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version: $(field Version), not $version"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] ||
    fail "Architecture: $(field Architecture)"

# Depends: the package of each library the program links, found the way apt will find
# it, and the certificate store; nothing from a build.
depends=$(field Depends)
depends_names=" $(echo "$depends" | sed 's/([^)]*)//g; s/[,|]/ /g' | tr -s ' ') "
[[ "$depends_names" == *" ca-certificates "* ]] || fail "Depends lacks ca-certificates: $depends"
[[ "$depends_names" =~ -dev\ |gtest|gmock|httplib|benchmark ]] &&
    fail "Depends names build or test packages: $depends"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
program="$tree/usr/bin/velmora"
while read -r soname; do
    path=$(ldd "$program" | awk -v name="$soname" '$1 == name {print $3}')
    owner=""
    for candidate in "$path" "/usr$path" "${path#/usr}"; do
        owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1) && [[ -n "$owner" ]] && break
    done
    if [[ -z "$owner" ]]; then
        fail "no package holds $soname ($path)"
    elif [[ "$depends_names" != *" $owner "* ]]; then
        fail "Depends lacks $owner, which holds $soname: $depends"
    fi
done < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

# The program: the production endpoints, no sandbox CA, optimised and stripped.
texts=$(strings -a "$program")
grep -qx 'api.velmora.example' <<<"$texts" ||
    fail "the program does not hold the production API host"
grep -E '127\.0\.0\.1:[0-9]|localhost:[0-9]|\.pem$' <<<"$texts" &&
    fail "the program holds a test endpoint or CA file"
readelf -S "$program" | grep -qE '\.debug_|\.symtab' && fail "the program is not stripped"
[[ "$("$program" --version)" == "velmora $version" ]] ||
    fail "--version says: $("$program" --version)"

# The unit: starts the packaged program headless, restarts it, never gives up.
unit="$tree/usr/lib/systemd/user/velmora.service"
for line in "ExecStart=/usr/bin/velmora --headless" "Restart=on-failure" "RestartSec=60" \
    "StartLimitIntervalSec=0" "RestartPreventExitStatus=2" "WantedBy=default.target"; do
    grep -qx "$line" "$unit" || fail "the unit lacks $line"
done
if command -v systemd-analyze >/dev/null; then
    # Verified against the extracted program, as /usr/bin/velmora is not installed here.
    sed "s|^ExecStart=/usr/bin/velmora|ExecStart=$program|" "$unit" >"$tree/velmora.service"
    complaints=$(systemd-analyze verify "$tree/velmora.service" 2>&1) && [[ -z "$complaints" ]] ||
        fail "systemd-analyze verify: $complaints"
fi

if ((failures > 0)); then
    echo "package test: $failures check(s) failed for $deb" >&2
    exit 1
fi
echo "package test: $deb is sound (Depends: $depends)"
