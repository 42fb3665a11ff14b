#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting, runs the fuzzers briefly, runs the
# tests built with the sanitizers, and last every test of the plain build headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh

echo "== Formatting (.clang-format)"
if [ -d .git ]; then
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t sources < <(find src tests fuzz -name '*.cpp' -o -name '*.h')
fi
clang-format --dry-run --Werror "${sources[@]}"

echo "== Fuzzers, 10 s each"
scripts/fuzz.sh 10

echo "== Tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/sanitize.sh

echo "== Tests"
export QT_QPA_PLATFORM=offscreen
# Qt WebEngine's sandbox cannot run as root; a user's own run keeps it.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
ctest --test-dir build --output-on-failure --timeout 600 "$@"
