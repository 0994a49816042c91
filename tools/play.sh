#!/usr/bin/env bash
# Installs what is missing, builds Tavri with the demo game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTAVRI_TESTS=OFF
cmake --build build/release -j"$(nproc)"

# The build packs the demo game into build/release/game; the runtime plays the
# archives of its working directory.
cd build/release/game
exec ../src/tavri
