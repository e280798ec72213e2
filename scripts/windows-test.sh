#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows libraries and tests with mingw-w64 and
# runs the tests under Wine (its prefix lives in build/windows). Window tests need a
# display: without one, the run goes under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The servers and case writers the Windows tests use run natively, from the Linux tree.
[[ -f build/default/CMakeCache.txt ]] || cmake --preset default >/dev/null
cmake --build --preset default --target velmora_native_tools -j2
if [[ -n "${DISPLAY:-}" ]]; then
  cmake --workflow --preset windows
else
  xvfb-run -a cmake --workflow --preset windows
fi
