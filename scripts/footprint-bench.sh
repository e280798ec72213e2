#!/usr/bin/env bash
# The window-less updater's footprint: starts the sandbox, sets velmora-headless up on
# the demo account with six record pages (100002) and two watched records, runs its loop
# with the test build's 2-second period for SECONDS (default 180), and prints VmRSS and
# VmHWM, the CPU time per pass (also by the scheduler's count, where perf is installed),
# the requests, API connections and TLS handshakes (and how many of them resumed a
# session) over those passes, and the connections per pass.
#     bash scripts/footprint-bench.sh [SECONDS]
# The connections are counted in a short second run under strace (which slows the
# process), so that the first run's CPU figures are its own.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
build=build/default

[[ -d "$build" ]] || CMAKE_CXX_COMPILER_LAUNCHER=ccache cmake --preset default >/dev/null
cmake --build "$build" -j2 --target velmora-sandbox velmora_headless_sandboxed >/dev/null
program="$build/app/sandboxed/velmora_headless_sandboxed"
work=$(mktemp -d)
sandbox_pid="" program_pid=""
cleanup() {
    for pid in $program_pid $sandbox_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The ports the sandboxed build was made for (app/CMakeLists.txt).
"$build/sandbox/velmora-sandbox" --api-port 28443 --dns-port 28053 --time-port 28080 \
    --ca-file "$build/app/sandboxed/sandbox-ca.pem" --public-address 203.0.113.70 >"$work/ports" &
sandbox_pid=$!
for _ in $(seq 100); do
    grep -q '^ca_file=' "$work/ports" && break
    sleep 0.1
done
control=$(sed -n 's/^control_port=//p' "$work/ports")
[[ -n "$control" ]] || { echo "footprint-bench: the sandbox did not start" >&2; exit 1; }

settings="$work/velmora.ini"
printf '100002\n9a8b7c6d5e4f30211203f4e5d6c7b8a9\n' |
    "$program" --settings "$settings" --login >/dev/null
"$program" --settings "$settings" --watch www.site1.example >/dev/null
"$program" --settings "$settings" --watch www.site2.example >/dev/null

field() { awk -v key="$1:" '$1 == key {print $2}' "/proc/$program_pid/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
passes() { grep -c '：\(公网IP无变化\|更新记录值成功\)' "$1" | awk '{print int($1 / 2)}'; }
counters() { curl -s "http://127.0.0.1:$control/control/counters"; }

"$program" --settings "$settings" >"$work/run.log" 2>&1 &
program_pid=$!
# From the end of the first pass, which logs in and changes both records.
until [[ "$(passes "$work/run.log")" -ge 1 ]]; do sleep 0.1; done
first_ticks=$(cpu_ticks)
first_passes=$(passes "$work/run.log")
curl -s -d "" "http://127.0.0.1:$control/control/counters/reset" >/dev/null
echo "footprint-bench: running for $seconds s (pid $program_pid)"
rss_after_first=$(field VmRSS)
# Where perf can count for the process, also the scheduler's own sum of its CPU time:
# the clock ticks charge a whole tick to a process that the timer has just woken, as
# the loop is after each pause, so their figure runs high.
if perf stat -e task-clock -- true >/dev/null 2>&1; then
    perf stat -x, -e task-clock -o "$work/task-clock" -p "$program_pid" -- sleep "$seconds"
else
    sleep "$seconds"
fi
ticks=$(($(cpu_ticks) - first_ticks))
counted=$(($(passes "$work/run.log") - first_passes))
rss=$(field VmRSS)
hwm=$(field VmHWM)
requests=$(counters)
handshakes=$(curl -s "http://127.0.0.1:$control/control/connections")
kill "$program_pid" && wait "$program_pid" || true
program_pid=""

# Connections: every connect() of a short run, its first pass (the login) left out.
"$program" --settings "$settings" >"$work/strace-run.log" 2>&1 &
program_pid=$!
until [[ "$(passes "$work/strace-run.log")" -ge 1 ]]; do sleep 0.1; done
strace -f -qq -e trace=connect -o "$work/connects" -p "$program_pid" &
strace_pid=$!
strace_first=$(passes "$work/strace-run.log")
sleep 20
kill "$strace_pid" && wait "$strace_pid" 2>/dev/null || true
strace_passes=$(($(passes "$work/strace-run.log") - strace_first))
connects=$(grep -c 'connect(.*AF_INET' "$work/connects" || true)

tick=$(getconf CLK_TCK)
echo "footprint-bench: VmRSS after the first pass ${rss_after_first} kB, after $counted more passes ${rss} kB; VmHWM ${hwm} kB"
awk -v t="$ticks" -v hz="$tick" -v n="$counted" \
    'BEGIN {printf "footprint-bench: CPU %.2f ms per pass (%d passes)\n", n ? t * 1000 / hz / n : 0, n}'
if [[ -s "$work/task-clock" ]]; then
    awk -F, -v n="$counted" '$3 == "task-clock" {printf "footprint-bench: CPU %.2f ms per pass by the scheduler'"'"'s count\n", n ? $1 / n : 0}' "$work/task-clock"
fi
echo "footprint-bench: requests over those passes: $requests"
echo "footprint-bench: API connections and TLS handshakes over those passes: $handshakes"
awk -v c="$connects" -v n="$strace_passes" \
    'BEGIN {printf "footprint-bench: %.1f connections per pass (%d connects over %d passes)\n", n ? c / n : 0, c, n}'
