#!/usr/bin/env bash
# Builds and runs every test: the portable core natively (plain and under
# ASan + UBSan), then the Windows build with all its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
for preset in native native-asan windows; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j 1
done
