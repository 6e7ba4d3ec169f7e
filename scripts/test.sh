#!/usr/bin/env bash
# Fresh machine to test results: packages, build, then every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --test-dir "${ORBALOG_BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"
