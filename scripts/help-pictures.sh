#!/usr/bin/env bash
# Retakes the help's pictures from the window as it is now: run after a change to the window,
# then look at them and commit them with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
build/main_window_shot resources/help/mainwindow.png 2>/dev/null
echo "resources/help/mainwindow.png retaken"
