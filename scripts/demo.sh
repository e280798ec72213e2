#!/usr/bin/env bash
# The demo: installs what is missing, starts the substitute provider with its demo
# account, builds velmora against it and opens the window. Closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build/demo"

bash scripts/setup.sh

# The sandbox first: its ports (chosen by the system) and CA go into the build.
cmake --preset default -B "$build" -DVELMORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target velmora-sandbox -j2 >/dev/null

ca_file="$build/sandbox-ca.pem"
ports_file="$build/sandbox-ports.txt"
"$build/sandbox/velmora-sandbox" --ca-file "$ca_file" --public-address 203.0.113.25 \
    >"$ports_file" &
sandbox_pid=$!
trap 'kill "$sandbox_pid" 2>/dev/null || true; wait "$sandbox_pid" 2>/dev/null || true' EXIT

for _ in $(seq 100); do
    grep -q '^ca_file=' "$ports_file" 2>/dev/null && break
    kill -0 "$sandbox_pid" 2>/dev/null || { echo "demo: the sandbox did not start" >&2; exit 1; }
    sleep 0.1
done
port() { sed -n "s/^$1=//p" "$ports_file"; }

cmake -B "$build" \
    -DVELMORA_API_HOST="127.0.0.1:$(port api_port)" \
    -DVELMORA_HTTPDNS_ADDRESS="127.0.0.1:$(port dns_port)" \
    -DVELMORA_TIME_URL="http://127.0.0.1:$(port time_port)/" \
    -DVELMORA_EXTRA_CA_FILE="$ca_file" >/dev/null
cmake --build "$build" --target velmora -j2 >/dev/null

cat <<TXT
The substitute provider runs on 127.0.0.1 (API port $(port api_port), control port $(port control_port)).
Log in with the demo account:
    ID:    100001
    Token: 5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24
The provider reports the public address 203.0.113.25; to simulate a change of address:
    curl -X POST 'http://127.0.0.1:$(port control_port)/control/public-address?ip=203.0.113.99'
The settings file is $build/app/velmora.ini (beside the executable).
TXT

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    "$build/app/velmora"
else
    echo "No display found: the window runs under Xvfb (a virtual display), where it cannot be seen."
    xvfb-run -a "$build/app/velmora"
fi
