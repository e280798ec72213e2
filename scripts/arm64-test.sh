#!/usr/bin/env bash
# Installs what is missing, cross-builds the core and its tests for arm64 (preset arm64,
# build/arm64) and runs the tests as arm64 programs under qemu's user-mode emulation;
# each step says how long it took.
#     bash scripts/arm64-test.sh [ctest arguments...]   e.g. -R '^(api|update)\.'
set -euo pipefail
cd "$(dirname "$0")/.."

exec 3>&1  # the steps' times, even of a step whose own output is silenced
step() {  # step <name> <command...>: the time is told whether the step passes or fails
    local name=$1 started=$SECONDS status=0
    shift
    "$@" || status=$?
    echo "arm64-test: $name took $((SECONDS - started)) s" >&3
    return $status
}

step "set-up" bash scripts/setup-arm64.sh
step "configure" cmake --preset arm64 >/dev/null
step "build" cmake --build --preset arm64
step "tests under emulation" ctest --preset arm64 "$@"
