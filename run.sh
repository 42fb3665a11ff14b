#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vimbrel.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
exec build/vimbrel "$@"
