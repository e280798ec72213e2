#!/bin/sh
# A Linux server that the Windows tests under Wine talk to, as a CTest fixture.
#   native_server.sh start <state-dir> <program> [args…]
#       starts the program in the background; once it has printed its key=value lines
#       (the last one names its CA file or ends the list) they are in <state-dir>/ports
#   native_server.sh stop <state-dir>
# The program must print its key=value lines on standard output and flush them, then run
# until SIGTERM.
set -eu
command="$1"
state="$2"
shift 2
case "$command" in
  start)
    mkdir -p "$state"
    rm -f "$state/ports" "$state/output"
    # Setsid and no inherited output: CTest waits for every holder of its pipes.
    setsid "$@" >"$state/output" 2>"$state/errors" </dev/null &
    echo $! >"$state/pid"
    for _ in $(seq 1 300); do
      if grep -q '^ca_file=\|^ready=' "$state/output" 2>/dev/null; then
        cp "$state/output" "$state/ports"
        exit 0
      fi
      kill -0 "$(cat "$state/pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "server did not start: $*" >&2
    cat "$state/errors" >&2 || true
    exit 1
    ;;
  stop)
    if [ -f "$state/pid" ]; then
      kill "$(cat "$state/pid")" 2>/dev/null || true
      rm -f "$state/pid"
    fi
    ;;
esac
