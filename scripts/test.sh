#!/usr/bin/env bash
# Fresh machine to test results: packages, build, then every test; then the
# same tests again in a build with the address and undefined-behaviour
# sanitizers (set ORBALOG_SKIP_SANITIZED=1 to leave that pass out).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --test-dir "${ORBALOG_BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"

if [ "${ORBALOG_SKIP_SANITIZED:-0}" != 1 ]; then
  sanitized="${ORBALOG_BUILD_DIR:-build}-sanitized"
  cmake -S . -B "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DORBALOG_SANITIZE=ON \
    -DORBALOG_BUILD_BENCHMARKS=OFF -DORBALOG_BUILD_EXAMPLES=OFF
  cmake --build "$sanitized" -j"$(nproc)"
  # The installed-package test builds an outside project: once is enough.
  ctest --test-dir "$sanitized" --output-on-failure -j"$(nproc)" -E InstalledPackage
fi
