#!/usr/bin/env bash
# The scale figures in one command: builds the release tree, generates a game of
# 500 scenes and 300 MB of pictures and voices (seeded, so the same bytes every
# time), packs it and runs tavri-bench-scale on it.
#   bash bench/run-scale.sh [OUT_DIR] [MEGABYTES] [ROUNDS]
# OUT_DIR defaults to /tmp/tavri-scale; the game is made again only when the
# generator's arguments or its build change.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-/tmp/tavri-scale}"
megabytes="${2:-300}"
rounds="${3:-3}"
build=build/release

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVRI_TESTS=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" --target tavri-scalegen tavpack tavri-bench-scale

gen="$build/tools/scalegen/tavri-scalegen"
stamp="scenes=500 megabytes=$megabytes seed=1 $(sha256sum "$gen" | cut -c1-16)"
if [[ ! -f "$out/game/.made" || "$(cat "$out/game/.made")" != "$stamp" ]]; then
  rm -rf "$out/game"
  "$gen" "$out/stage" --scenes 500 --megabytes "$megabytes" --seed 1 --hlsl game/demo/Res/HLSL
  mkdir -p "$out/game"
  for archive in Res Txt ID; do
    "$build/tools/tavpack/tavpack" create "$out/game/$archive.pac" "$out/stage/$archive"
  done
  rm -rf "$out/stage"
  echo "$stamp" > "$out/game/.made"
fi
"$build/bench/tavri-bench-scale" "$out/game" --rounds "$rounds" --shot "$out/first-scene.png"
