#!/usr/bin/env bash
# Installs what building, testing and running Quorvel needs, from Debian's
# packages. Idempotent: installs only what is missing; uses sudo when not root.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config dpkg-dev file
  firebird3.0-server-core firebird3.0-utils firebird3.0-server firebird-dev libfbclient2
  firebird3.0-examples
  libsodium-dev libzstd-dev
  qt6-base-dev libgl-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

# As root the commands run as they are; otherwise through sudo, keeping the
# environment so that DEBIAN_FRONTEND reaches apt-get. An array, not a string:
# an empty prefix must vanish, not leave its option behind as a command name.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo -E)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
