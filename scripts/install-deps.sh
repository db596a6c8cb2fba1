#!/usr/bin/env bash
# Installs every build and test tool from Debian packages. Idempotent: safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format
  googletest libgtest-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb x11-apps imagemagick fonts-dejavu-core fonts-noto-core
  python3-pil python3-numpy
  nginx-light openssl ca-certificates python3 osslsigncode
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The cross build must use the posix thread model (std::thread, std::mutex).
update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || true
update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
