#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows libraries and tests with mingw-w64 and
# runs the tests under Wine (its prefix lives in build/windows). Window tests need a
# display: without one, the run goes under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [[ -n "${DISPLAY:-}" ]]; then
  cmake --workflow --preset windows
else
  xvfb-run -a cmake --workflow --preset windows
fi
