#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
JOBS=$(nproc 2>/dev/null || echo 2)
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS"
