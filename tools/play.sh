#!/usr/bin/env bash
# Installs what is missing, builds Tavri and starts the demo game.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTAVRI_TESTS=OFF
cmake --build build/release -j"$(nproc)"

echo
echo "Tavri is built in build/release: the runtime build/release/src/tavri and the archive tool"
echo "build/release/tools/tavpack/tavpack. The demo game is not packed yet, so there is nothing to start."
