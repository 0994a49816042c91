#!/usr/bin/env bash
# Installs every Debian package that building, testing and playing Tavri needs.
# Safe to run again: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  # toolchain
  cmake g++ make pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # archives
  zlib1g-dev
  # window, input and OpenGL (Mesa's software rasteriser on machines without a GPU)
  libsdl2-dev libgl-dev libopengl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 mesa-utils
  # image decoding
  libstb-dev
  # HLSL to GLSL
  glslang-dev glslang-tools libspirv-cross-c-shared-dev spirv-cross
  # text
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  # sound
  libopenal-dev libvorbis-dev libogg-dev
  # fuzzing the file readers (libFuzzer comes with clang's runtime libraries)
  clang libclang-rt-14-dev
  # headless runs and generated demo media
  xvfb xauth vorbis-tools espeak-ng sox
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install packages" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
