#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and the
# address and undefined-behaviour sanitizers, and runs every test; then the
# sound threads' tests once more under ThreadSanitizer, and each fuzz target
# for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
# -O1 with line tables only: sanitizer builds compile much faster than at -O2.
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
  -DTAVRI_WERROR=ON -DTAVRI_SANITIZE=ON
cmake --build build/test -j"$(nproc)"
ctest --test-dir build/test -j"$(nproc)" --output-on-failure

# The sound threads once more under ThreadSanitizer, in a small build of their own.
cmake -S tests/tsan -B build/tsan -DCMAKE_BUILD_TYPE=Debug
cmake --build build/tsan -j"$(nproc)"
ctest --test-dir build/tsan -j"$(nproc)" --output-on-failure

# Every reader of files a player or author can damage, fuzzed for a minute.
TAVRI_FUZZ_GAME_BUILD=build/test bash fuzz/run.sh 60
