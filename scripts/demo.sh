#!/usr/bin/env bash
# The demo: installs what is missing, starts the substitute provider with its demo
# account, builds velmora against it and opens the window. Closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build/demo"

bash scripts/setup.sh

# The builds run quietly; when one fails, its output is shown, not just the exit status.
mkdir -p "$build"
log="$build/demo-build.log"
: >"$log"
quietly() {
    "$@" >>"$log" 2>&1 && return 0
    tail -n 30 "$log" >&2
    echo "demo: this step failed: $* (whole output in $log)" >&2
    return 1
}

echo "demo: building the sandbox and velmora in $build (some minutes the first time)"

# The sandbox first: its ports (chosen by the system) and CA go into the build.
quietly cmake --preset default -B "$build" -DVELMORA_BUILD_BENCH=OFF
quietly cmake --build "$build" --target velmora-sandbox -j2

ca_file="$build/sandbox-ca.pem"
ports_file="$build/sandbox-ports.txt"
"$build/sandbox/velmora-sandbox" --ca-file "$ca_file" --public-address 203.0.113.25 \
    --public-address6 2001:db8::25 >"$ports_file" &
sandbox_pid=$!
trap 'kill "$sandbox_pid" 2>/dev/null || true; wait "$sandbox_pid" 2>/dev/null || true' EXIT

for _ in $(seq 100); do
    grep -q '^ca_file=' "$ports_file" 2>/dev/null && break
    kill -0 "$sandbox_pid" 2>/dev/null || { echo "demo: the sandbox did not start" >&2; exit 1; }
    sleep 0.1
done
port() { sed -n "s/^$1=//p" "$ports_file"; }
# Where the machine has no IPv6 loopback the sandbox runs without its [::1] endpoint, and
# the demo's AAAA rows learn no address.
ipv6_endpoint() { [[ "$(port dns6_port)" == 0 ]] || echo "[::1]:$(port dns6_port)"; }

# The update loop's first pass runs right after the login, before any row is ticked; with
# the program's own pause of 120 s between passes, a ticked row would then show nothing
# in the run log for up to two minutes. The demo pauses for a short time instead.
period=15
quietly cmake -B "$build" \
    -DVELMORA_API_HOST="127.0.0.1:$(port api_port)" \
    -DVELMORA_HTTPDNS_ADDRESS="127.0.0.1:$(port dns_port)" \
    -DVELMORA_HTTPDNS6_ADDRESS="$(ipv6_endpoint)" \
    -DVELMORA_TIME_URL="http://127.0.0.1:$(port time_port)/" \
    -DVELMORA_EXTRA_CA_FILE="$ca_file" \
    -DVELMORA_UPDATE_PERIOD_SECONDS="$period"
quietly cmake --build "$build" --target velmora -j2

cat <<TXT
The substitute provider runs on 127.0.0.1 (API port $(port api_port), control port $(port control_port)).
Log in with the demo account:
    ID:    100001
    Token: 5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24
The provider reports the public address 203.0.113.25 and the IPv6 address 2001:db8::25;
tick an A row (it follows the IPv4 address) and an AAAA row (they follow the A rows, and
the IPv6 address); to simulate a change of address:
    curl -d '' 'http://127.0.0.1:$(port control_port)/control/public-address?ip=203.0.113.99'
    curl -d '' 'http://127.0.0.1:$(port control_port)/control/public-address6?ip=2001:db8::99'
The settings file is $build/config/velmora/velmora.ini (the demo's own XDG_CONFIG_HOME).
This demo build checks every $period seconds instead of every 120 seconds, so a ticked row
shows its first check or change in the run log within $period seconds; the log line still
reads "120秒后重新检测", as in the normal build.
TXT

# The demo's settings stay in the build tree, never in the user's own configuration.
export XDG_CONFIG_HOME="$build/config"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    "$build/app/velmora"
else
    # Xvfb has no window manager, so nothing there can close the window: say how to end it.
    xvfb-run -a sh -c 'echo "No display found: the window runs under Xvfb on display $DISPLAY," \
        "where it cannot be seen (no window manager can close it there). Press Ctrl+C to end the demo."
        exec "$0"' "$build/app/velmora"
fi
