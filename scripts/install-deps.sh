#!/usr/bin/env bash
# Installs the Debian packages that building, testing, fuzzing, benchmarking and playing the demo
# game need. Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    clang libclang-rt-14-dev            # libFuzzer targets
    libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libsdl2-mixer-dev      # the mixer benchmark's peer
    libpng-dev zlib1g-dev
    libogg-dev libvorbis-dev
    libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-wqy-zenhei
    libicu-dev                          # benchmark peer of text layout
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
    libpixman-1-dev                     # benchmark peer
    xvfb xauth                          # window checks without a display
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
