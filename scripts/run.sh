#!/usr/bin/env bash
# Fresh machine to main job: packages, build, then the example session.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
"${ORBALOG_BUILD_DIR:-build}/examples/session/orbalog-session" "${1:-out/session}"
