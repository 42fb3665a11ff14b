#!/usr/bin/env bash
# Builds a Debian package of Vimbrel into build/package/ (installs what is missing first).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
cpack --config build/CPackConfig.cmake -B build/package
ls build/package/*.deb
