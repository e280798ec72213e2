#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for $1 seconds (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
if ! command -v clang++ > /dev/null; then
    echo "fuzz: clang++ not found, skipping the fuzz run"
    exit 0
fi
cmake --preset fuzz > /dev/null
cmake --build build/fuzz --target velmora_text_fuzz -j2
corpus="build/fuzz/corpus/text"
mkdir -p "$corpus"
build/fuzz/fuzz/velmora_text_fuzz -max_total_time="$seconds" -max_len=4096 "$corpus"
