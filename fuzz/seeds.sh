#!/usr/bin/env bash
# Collects the seed corpus of every fuzz target into OUT/<target>/:
#   - the demo game as a build leaves it (GAME_BUILD/game: the archives and the
#     icon; GAME_BUILD/game-stage/Res: its loose pictures and sounds), the
#     smallest files of each kind, so that each run is quick;
#   - the demo's text files and shaders from game/demo;
#   - small files made here byte by byte (one of each picture format, an icon,
#     the per-user files) and sounds made with sox and oggenc when present;
#   - every input kept by the regression tests (tests/data/fuzz/<target>*).
# Usage: fuzz/seeds.sh OUT [GAME_BUILD]   (GAME_BUILD: a build folder of the main
# project; by default the first of build/test, build/release, build/debug
# that has the demo packed)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: fuzz/seeds.sh OUT [GAME_BUILD]}
game_build=${2:-}
if [[ -z "$game_build" ]]; then
  for b in build/test build/release build/debug build; do
    if [[ -f $b/game/Txt.pac ]]; then game_build=$b; break; fi
  done
fi
targets=(pac config scenario image ogg save icon hlsl)
for t in "${targets[@]}"; do mkdir -p "$out/$t"; done

le16() { printf "\\\\x%02x\\\\x%02x" $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf "\\\\x%02x\\\\x%02x\\\\x%02x\\\\x%02x" $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
# Writes bytes given as a printf format of \xNN escapes.
put() { printf "$2" >"$1"; }
repeat() { local s="" i; for ((i = 0; i < $2; i++)); do s+=$1; done; printf "%s" "$s"; }
# The smallest files named *.EXT under DIR, up to COUNT of them no larger than MAX bytes.
smallest() {
  local dir=$1 ext=$2 count=$3 max=$4 dest=$5
  [[ -d $dir ]] || return 0
  # awk, not head: it reads to the end, so sort never meets a closed pipe
  # (which pipefail would count as a failure).
  find "$dir" -type f -iname "*.$ext" -size -"$((max + 1))"c -printf '%s %p\n' | sort -n | awk -v n="$count" 'NR <= n' |
    while read -r _ path; do cp "$path" "$dest/$(echo "${path#"$dir"/}" | tr '/' '_')"; done
}
# A bundle: each file under its archive name after a "@@ NAME" line.
bundle() {
  local dest=$1; shift
  : >"$dest"
  while (($#)); do
    printf '@@ %s\n' "$1" >>"$dest"
    cat "$2" >>"$dest"
    shift 2
  done
}

# Archives.
if [[ -n "$game_build" ]]; then
  cp "$game_build/game/Txt.pac" "$game_build/game/ID.pac" "$out/pac/"
  tavpack=$(find "$game_build/tools/tavpack" -maxdepth 1 -type f -name tavpack -print -quit 2>/dev/null)
  stage=$game_build/game-stage/Res
  if [[ -n "$tavpack" && -d $stage ]]; then
    small=$(mktemp -d)
    mkdir -p "$small/Res"
    cp "$stage/id.txt" "$small/Res/"
    smallest "$stage" dds 2 4096 "$small/Res"
    smallest "$stage" png 1 4096 "$small/Res"
    "$tavpack" create "$out/pac/SmallRes.pac" "$small/Res" >/dev/null
    rm -rf "$small"
  fi
fi
put "$out/pac/empty.pac" "$(le32 0)"

# Configuration and id files.
demo=game/demo
bundle "$out/config/demo" 'Txt\config.txt' $demo/Txt/config.txt 'Txt\id.txt' $demo/Txt/id.txt \
  'Res\id.txt' $demo/Res/id.txt 'ID\id.txt' $demo/ID/id.txt

# The scenario: all of it, and each scene file on its own.
args=('Txt\scene.txt' $demo/Txt/scene.txt)
for f in $demo/Txt/*.txt; do
  name=$(basename "$f")
  case $name in config.txt | id.txt | scene.txt) continue ;; esac
  args+=("Txt\\$name" "$f")
  list=$(mktemp)
  printf '%s\r\n' "$name" >"$list"
  bundle "$out/scenario/${name%.txt}" 'Txt\scene.txt' "$list" "Txt\\$name" "$f"
  rm -f "$list"
done
bundle "$out/scenario/demo" "${args[@]}"

# Pictures: the demo's smallest, and one of each other format made here.
if [[ -n "$game_build" ]]; then
  smallest "$game_build/game-stage/Res" dds 12 65536 "$out/image"
  smallest "$game_build/game-stage/Res" png 8 65536 "$out/image"
fi
pixels24=$(repeat '\x20\x40\xc0' 4)
put "$out/image/tiny.bmp" "BM$(le32 102)$(le32 0)$(le32 54)$(le32 40)$(le32 4)$(le32 4)$(le16 1)$(le16 24)$(le32 0)$(le32 48)$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)$(repeat "$pixels24" 4)"
put "$out/image/tiny.tga" "\x00\x00\x02$(repeat '\x00' 9)$(le16 4)$(le16 4)\x20\x08$(repeat '\x10\x80\xf0\x7f' 16)"
put "$out/image/tiny-rle.tga" "\x00\x00\x0a$(repeat '\x00' 9)$(le16 4)$(le16 4)\x18\x20\x8f\x10\x80\xf0"
put "$out/image/tiny.ppm" "P6\n4 4\n255\n$(repeat "$pixels24" 4)"
# Baseline JPEG files whose blocks are flat: one-code Huffman tables (DC
# difference 0, end of block), so every block is the two bits "00".
dqt="\xff\xdb\x00\x43\x00$(repeat '\x01' 64)"
dht="\xff\xc4\x00\x14\x00\x01$(repeat '\x00' 15)\x00\xff\xc4\x00\x14\x10\x01$(repeat '\x00' 15)\x00"
put "$out/image/gray.jpg" "\xff\xd8${dqt}\xff\xc0\x00\x0b\x08\x00\x08\x00\x08\x01\x01\x11\x00${dht}\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00\x3f\xff\xd9"
put "$out/image/colour.jpg" "\xff\xd8${dqt}\xff\xc0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x22\x00\x02\x11\x00\x03\x11\x00${dht}\xff\xda\x00\x0c\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00\x00\x0f\xff\xd9"

# Sounds: the demo's smallest, and short tones of one and six channels.
if [[ -n "$game_build" ]]; then smallest "$game_build/game-stage/Res" ogg 4 65536 "$out/ogg"; fi
if command -v sox >/dev/null && command -v oggenc >/dev/null; then
  tmp=$(mktemp -d)
  for c in 1 2 6; do
    sox -n -r 8000 -c $c -b 16 "$tmp/t$c.wav" synth 0.05 sine 440 2>/dev/null &&
      oggenc -Q -q 0 "$tmp/t$c.wav" -o "$out/ogg/tone$c.ogg" 2>/dev/null || true
  done
  rm -rf "$tmp"
fi

# Per-user files: a save slot, Config.dat and Unlocked.dat.
label='1\x002\x00:\x000\x000\x00 \x00'
put "$out/save/slot.dat" "$(le32 3)$(le32 3)$(le32 0)$(le32 1)$(le32 2)$(le32 6)${label}"
one='\x00\x00\x80\x3f'
put "$out/save/config.dat" "${one}${one}${one}$(le32 50)$(le32 2000)$(le32 0)$(le32 1)$(le32 1)${one}$(repeat '\x00\x00\x80\xbf' 5)$(repeat '\x00' 12)$(le32 2)$(le32 1)$(le32 4)"
put "$out/save/unlocked.dat" "$(le32 3)$(le32 0)$(le32 1)$(le32 2)"

# Icons: the demo's, and a 4 x 4 bitmap entry with its mask.
if [[ -n "$game_build" && -f $game_build/game/Icon.ico ]]; then cp "$game_build/game/Icon.ico" "$out/icon/"; fi
put "$out/icon/tiny.ico" "$(le16 0)$(le16 1)$(le16 1)\x04\x04\x00\x00$(le16 1)$(le16 32)$(le32 120)$(le32 22)$(le32 40)$(le32 4)$(le32 8)$(le16 1)$(le16 32)$(le32 0)$(le32 80)$(repeat '\x00' 16)$(repeat '\x30\x60\x90\xff' 16)$(repeat '\x00' 16)"

# Shaders.
cp $demo/Res/HLSL/*.hlsl "$out/hlsl/"

# Inputs kept by the regression tests, in tests/data/fuzz/<target> and
# tests/data/fuzz/<target>-<what they show>: every run checks them again under
# clang's sanitizers, which catch some faults the main build's do not.
for t in "${targets[@]}"; do
  for kept in tests/data/fuzz/"$t" tests/data/fuzz/"$t"-*; do
    if [[ -d $kept ]]; then cp "$kept"/* "$out/$t/" 2>/dev/null || true; fi
  done
done

for t in "${targets[@]}"; do printf 'seeds: %-9s %3d files\n' "$t" "$(find "$out/$t" -type f | wc -l)"; done
