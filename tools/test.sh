#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and the
# address and undefined-behaviour sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRI_WERROR=ON -DTAVRI_SANITIZE=ON
cmake --build build/test -j"$(nproc)"
ctest --test-dir build/test -j"$(nproc)" --output-on-failure
