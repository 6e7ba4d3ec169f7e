#!/usr/bin/env bash
# Configures and builds into ./build (or $ORBALOG_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ORBALOG_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j"$(nproc)"
