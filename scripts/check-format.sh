#!/usr/bin/env bash
# Fails, naming the files, when a C++ source is not as clang-format writes it
# (bash scripts/check-format.sh --fix rewrites them instead).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format-15 -i "${sources[@]}"
else
  clang-format-15 --dry-run --Werror "${sources[@]}"
fi
