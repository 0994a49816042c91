#!/usr/bin/env bash
# Every performance figure in one command, on this machine, in one run:
#   bash bench/run-perf.sh [BEFORE_BUILD_DIR] [RESULTS_FILE]
#
# Builds the release tree (build/release) and runs, in order:
#   - the peer comparison (../shared/peers: the other engines when they are
#     installed, then Tavri; with BEFORE_BUILD_DIR, a release build of an
#     earlier commit, that build too, so before and after share the run):
#     start to first frame warm and cold, CPU while a page waits, peak memory
#   - tavri-bench-frame: CPU per frame of a busy scene on the real device,
#     with draw calls, state changes and uploads per frame
#   - tavri-bench-startup: where start-up spends its time and memory, step by step
#   - bench/run-scale.sh: a generated game of 500 scenes and 300 MB
# Results are appended to RESULTS_FILE (default /tmp/tavri-perf.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
before="${1:-}"
out="${2:-/tmp/tavri-perf.txt}"
build=build/release
peers=../shared/peers
export ALSOFT_DRIVERS=null
export PATH="$PATH:/usr/games"  # where Debian puts the other engines

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVRI_TESTS=OFF > /dev/null
cmake --build "$build" -j"$(nproc)"

note() { printf '\n===== %s =====\n' "$*" | tee -a "$out"; }
note "run-perf.sh $(date -u '+%F %T') UTC, $(git rev-parse --short HEAD), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

if [[ -d "$peers" ]]; then
  if command -v onscripter > /dev/null || command -v renpy > /dev/null; then
    bash "$peers/measure.sh" "$out" || note "the peers' measurement failed"
  fi
  if [[ -n "$before" ]]; then
    note "before: $before"
    bash "$peers/measure-tavri.sh" "$before" "$out"
  fi
  note "after: $build"
  bash "$peers/measure-tavri.sh" "$build" "$out"
else
  note "no $peers here: the side-by-side start and idle figures are skipped"
fi

note "tavri-bench-frame"
# In a real X window, so that a partly changed frame is presented as the
# game presents it (only the changed rectangle is copied to the window).
xvfb-run -a -s "-screen 0 1024x768x24" env SDL_VIDEODRIVER=x11 "$build/bench/tavri-bench-frame" "$build/game" 5 2>&1 |
  tee -a "$out"
note "tavri-bench-startup"
"$build/bench/tavri-bench-startup" 5 2>&1 | tee -a "$out"
note "run-scale.sh"
bash bench/run-scale.sh 2>&1 | tee -a "$out"
note "done $(date -u '+%F %T') UTC; results in $out"
