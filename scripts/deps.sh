#!/usr/bin/env bash
# Installs the Debian packages and npm modules the build and the tests need, when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake ninja-build pkg-config g++ clang-format
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  qt6-webengine-dev libqt6webenginecore6-bin
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev
  libchm1 libchm-dev liblz4-dev zlib1g-dev libbrotli-dev
  fp-utils-3.2.2 librsvg2-bin desktop-file-utils appstream dpkg-dev file groff-base bash-completion
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito curl wget openssl nodejs npm unzip
  clang libclang-rt-14-dev
  chromium firefox-esr

)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# A machine with its own Node.js (not from Debian) already has npm.
if command -v npm >/dev/null 2>&1; then
  missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
read -r -a missing <<<"${missing[*]:-}"

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# npm keeps its download cache in the home folder; without a writable one it gets a temporary one.
if [ ! -w "${HOME:-/nonexistent}" ] && [ -z "${npm_config_cache:-}" ]; then
  npm_config_cache="$(mktemp -d)"
  export npm_config_cache
fi

# The Flash player runtime, pinned by package-lock.json.
if [ -f package-lock.json ] && [ ! -f node_modules/.package-lock.json -o package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund
fi
