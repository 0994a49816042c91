#!/usr/bin/env bash
# A long soak of the demo in one tavri-replay process:
#   bash bench/soak.sh [CHANGES] [BUILD_DIR]      (10000, build/release)
#
# Writes one replay script that plays the demo round and round from its title
# until CHANGES scene changes: skip and auto modes, clicking through, the
# backlog opened and paged, picture view, saves into the six slots and loads
# from them, the memory called and its return, the extras room, settings
# changed (sliders, skip unread, effects, opacity), display-mode switches
# (Alt+Enter and the settings buttons), lost devices and reloaded images. The
# game runs with a fresh per-user folder; every round ends on the title with
# a state dump. Afterwards it loads every slot written, through the load
# screen as a player does, and checks:
#   - each round ended on the title with exactly the scene changes planned
#     (the count the game keeps) and the device working, and the run reached
#     CHANGES;
#   - Err.txt has no line;
#   - every slot written loads, into the scene it was saved from;
#   - memory is flat: the median resident memory at the rounds' ends in the
#     last quarter of the run is at most TAVRI_SOAK_GROWTH_MB (default 8; 0
#     skips the check) above the median in the second quarter. Resident
#     memory at the title swings by 20 MiB and more from round to round
#     (the allocator, the renderer's buffers, the display mode), so its peak
#     keeps finding new highs now and then without any leak, while a leak
#     moves the median. Runs under 1,000 changes are too short to judge.
# The figures at every tenth of the run, peak and textures held included,
# are printed too.
# Prints the figures; exits non-zero when a check fails. The script, the
# dumps, the harness's output and the per-user folder stay in
# BUILD_DIR/soak/.
set -euo pipefail
goal="${1:-10000}"
build="${2:-build/release}"
growth_limit_mb="${TAVRI_SOAK_GROWTH_MB:-8}"
cd "$(dirname "$0")/.."
[[ "$goal" =~ ^[0-9]+$ && "$goal" -gt 0 ]] || { echo "CHANGES must be a positive number" >&2; exit 2; }
build="$(cd "$build" && pwd)"
replay="$build/tools/replay/tavri-replay"
game="$build/game"
[[ -x "$replay" && -f "$game/Res.pac" ]] || { echo "$build has no tavri-replay or packed demo: build it first" >&2; exit 2; }

out="$build/soak"
rm -rf "$out"
mkdir -p "$out/dumps" "$out/data" "$out/run"
chmod 700 "$out/run"
# A per-user folder of its own, and a runtime folder so that no other copy of
# the game counts as already running. Full screen is the offscreen desktop's
# 1024 x 768, which the coordinates below assume.
export XDG_DATA_HOME="$out/data" XDG_RUNTIME_DIR="$out/run"
export SDL_VIDEODRIVER=offscreen
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"

# ---------------------------------------------------------------------------
# The script. Times are the harness clock in ms; every step waits long enough
# for the slowest case of what it starts (effects, skip's wait per scene), so
# that the game is where the next step expects it.

t=11000          # the clock of the next line
changes=0        # scene changes the script has caused so far
full=0           # 1 in full screen: coordinates are stretched 1.28 times
round=0
saves=0          # slots written so far, in turn
declare -a slot_scene=(0 0 0 0 0 0 0)  # the story scene each slot keeps (index 1..6; 0 unwritten)
# Settings as the script left them.
declare -a knob=(412 412 412 412 412)  # music, effects, voice, text speed, auto wait: knob x
auto_wait=2000   # ms (the slider starts at half of 4000)
visits=0         # settings visits

after() { t=$((t + $1)); }
line() { echo "$t $*"; }
# Configured-screen coordinates to window coordinates (no subshells: the
# script has tens of thousands of lines).
at_xy() {
  if ((full)); then x=$((($1 * 128 + 50) / 100)) y=$((($2 * 128 + 50) / 100)); else x=$1 y=$2; fi
}
click() { local x y; at_xy "$1" "$2"; line click $x $y; after 200; }
move() { local x y; at_xy "$1" "$2"; line move $x $y; }
tap() { line down "$1"; after 48; line up "$1"; after 52; }
alt_chord() {  # Alt + KEY, held 48 ms: one press of the chord
  line down MENU; line down "$1"; after 48; line up "$1"; line up MENU; after 52
}
right_click() { tap RBUTTON; }
# Time for a scene in skip mode: the auto wait and 100 ms pass from the
# scene's first frame (8 frames at no wait), and some to spare.
step=2170
set_auto_wait() { auto_wait=$1; step=$((auto_wait + 170)); }
# Time for a scene's text to be shown whole at the slowest speed used (10 ms
# a glyph, at most 40 glyphs).
text_time=500

# Drags slider KNOB (0..4) to x = TO (300..524, the track's left to right end).
drag() {
  local k=$1 to=$2 y=$((110 + 50 * $1 + 16))
  move $((knob[k] + 16)) $y; after 50
  line down LBUTTON; after 250
  move $((to + 16)) $y; after 150
  line up LBUTTON; after 150
  knob[k]=$to
}

# The settings screen from the title and back. The first visit sets skip to
# pass unread scenes and the text and auto wait to their fastest; later ones
# change the volumes, text speed, auto wait, skip unread, effects, opacity and
# the display mode by turns.
settings() {
  click 400 376; after 300; changes=$((changes + 1))
  if ((visits == 0)); then
    drag 4 524; set_auto_wait 0
    drag 3 524
    click 490 376; after 100            # skip: all scenes
  else
    drag 0 $((visits % 2 ? 334 : 450))
    drag 2 $((visits % 2 ? 300 : 412))
    drag 1 $((visits % 3 ? 380 : 460))
    drag 3 $((visits % 2 ? 500 : 524))  # 10 ms a glyph, or none
    if ((visits % 4 == 1)); then drag 4 510; set_auto_wait 250; fi
    if ((visits % 4 == 2)); then drag 4 524; set_auto_wait 0; fi
    # Skip stops at unread scenes on odd visits; by then the story is read.
    if ((visits % 2)); then click 350 376; else click 490 376; fi; after 100
    click 350 426; after 100            # screen effects on or off
    case $((visits % 4)) in
      0) click 350 476 ;; 1) click 450 476 ;; 2) click 550 476 ;; 3) click 650 476 ;;
    esac
    after 100
    if ((visits % 3 == 0)); then
      if ((full)); then click 360 526; else click 490 526; fi
      full=$((1 - full)); after 800
    fi
  fi
  visits=$((visits + 1))
  click 700 558; after 500; changes=$((changes + 1))  # back to the title
}

# The title's backlog: opened, paged and scrolled, closed. (Down is not
# pressed: at the newest row it would close the screen, and the right button
# would then turn on picture view instead.)
title_backlog() {
  click 400 428; after 300
  tap LEFT; tap RIGHT; tap UP
  right_click; after 300
}

# The backlog over a story scene: the wheel opens it, the arrow keys page and
# scroll it, the wheel scrolls it back, the right button closes it.
story_backlog() {
  line wheel 120; after 300
  tap LEFT; after 100; tap RIGHT; after 100
  line wheel 120; after 150
  tap UP; after 100
  right_click; after 300
}

# From the title, started, to scene 5: the press acts 100 ms after the click,
# the title fades out (800 ms) and the sky fades in (1200 ms).
start() {
  click 400 272; after 2300; changes=$((changes + 2))
}

# Saves the story scene SCENE (the one shown) into the next slot in turn.
save_here() {
  local scene=$1 slot=$((saves % 6 + 1))
  click 495 572; after 400; changes=$((changes + 1))
  click 300 $((130 + 62 * (slot - 1))); after 400
  click 700 558; after $((500 + text_time)); changes=$((changes + 1))
  slot_scene[slot]=$scene
  saves=$((saves + 1))
}

# From the load screen, loads SLOT: the game is then at its scene.
load_slot() {
  local slot=$1
  click 300 $((130 + 62 * (slot - 1))); after $((300 + text_time)); changes=$((changes + 1))
}

# Skip mode on at the choice's way: from scene 5 (skip just turned on) to the
# choice, a branch, and on through the ending to the title.
skip_to_title_from_5() {
  local branch=$1 lose=$2  # lose: the device is lost at a present on the way
  if ((lose)); then after 150; line fail present; fi
  after $((3 * step + 300)); changes=$((changes + 3))
  choose_to_title "$branch"
}

# At the choice in skip mode: a branch, and skip on through the ending.
choose_to_title() {
  if (($1)); then click 400 246; else click 400 176; fi
  after $((300 + 8 * step + 400)); changes=$((changes + 8))
}

# Round kinds; each starts and ends on the title.
round_skip() {  # skip mode, with the backlog, picture view and a save at 5
  start
  story_backlog
  click 710 571; after 300; right_click; after 300  # picture view and back
  save_here 5
  click 430 571; skip_to_title_from_5 $((round / 4 % 2)) $((round % 3 == 0))
}

round_auto() {  # auto mode from scene 5, then skip from the voiced scenes on
  start
  if ((round % 3 == 1)); then alt_chord BACK; after 300; fi  # the images loaded again
  # The text shows, auto mode waits its time, and Aoi fades in (600 ms).
  click 360 571; after $((text_time + auto_wait + 1000)); changes=$((changes + 1))
  # Auto mode waits for each voice, whose length is wall-clock time; skip mode
  # does not, so it takes over here for every later scene.
  tap F2
  after $((2 * step + 300)); changes=$((changes + 2))
  if ((round % 3 == 0)); then line fail present; after 100; fi
  choose_to_title $((1 - round / 4 % 2))
}

round_manual() {  # clicking through, a save at 14, the memory's call and return
  start
  if ((round % 8 == 2)); then alt_chord RETURN; full=$((1 - full)); after 800; fi
  after "$text_time"
  click 400 300; after $((600 + 100 + text_time)); changes=$((changes + 1))  # 5 to 6: Aoi fades in
  click 400 300; after $((600 + 100 + text_time)); changes=$((changes + 1))  # 6 to 7: Ren fades in
  click 400 300; after 400; changes=$((changes + 1))                         # 7 to the choice
  if ((round / 4 % 2)); then click 400 246; else click 400 176; fi
  after $((700 + 900 + 300 + text_time)); changes=$((changes + 2))          # a branch's two scenes
  click 400 300; after $((1200 + 1200 + 300 + text_time)); changes=$((changes + 2))  # the iris; 13; 14
  save_here 14
  click 685 390; after $((900 + 300 + text_time)); changes=$((changes + 2))  # the call: 18, 19
  click 400 300; after $((300 + text_time)); changes=$((changes + 1))        # 20
  click 400 300; after 400; changes=$((changes + 1))                         # back at 14
  tap F2; after $((4 * step + 400)); changes=$((changes + 4))                # skip on through the ending
}

round_load() {  # two loads: from the title and from the message window
  local -a written=()
  local s
  for s in 1 2 3 4 5 6; do ((slot_scene[s])) && written+=("$s"); done
  local first=${written[$((round % ${#written[@]}))]} second=${written[$(((round / 4 + 1) % ${#written[@]}))]}
  click 400 320; after 400; changes=$((changes + 1))
  load_slot "$first"
  story_backlog
  click 565 572; after 400; changes=$((changes + 1))
  load_slot "$second"
  if ((slot_scene[second] == 5)); then
    click 430 571; skip_to_title_from_5 $((round / 8 % 2)) 0
  else
    tap F2; after $((4 * step + 400)); changes=$((changes + 4))
  fi
}

# The extras room: a caption, music by name, the memory with auto mode, the
# title again.
extras() {
  click 400 532; after 1200; changes=$((changes + 1))
  move 230 284; after 300
  click 230 284; after 300                              # music
  click 230 222; after $((900 + 300 + text_time)); changes=$((changes + 2))  # the memory: 18, 19
  click 360 571; after $((text_time + auto_wait + 500)); changes=$((changes + 1))  # auto: on to 20
  # 20 is voiced: auto mode is turned off there (or, were the voice already
  # over, the click falls on the empty room it returned to).
  click 360 571; after $((300 + text_time))
  click 400 450; after 500; changes=$((changes + 1))    # on to the room (or nothing there)
  click 230 346; after 500; changes=$((changes + 1))    # to the title
}

declare -a expect=()   # "FILE SCENE CHANGES" for each dump

generate() {
  while ((changes < goal)); do
    after 300
    if ((round == 0 || round % 5 == 0)); then settings; fi
    if ((round % 9 == 4)); then alt_chord RETURN; full=$((1 - full)); after 800; fi
    if ((round % 6 == 2)); then title_backlog; fi
    if ((round % 4 == 1)); then line deactivate; after 300; line activate; after 300; fi
    if ((round % 7 == 3)); then extras; fi
    case $((round % 4)) in
      0) round_skip ;;
      1) round_auto ;;
      2) round_manual ;;
      3) if ((saves >= 2)); then round_load; else round_skip; fi ;;
    esac
    after 300
    local file
    printf -v file 'dumps/r%05d.json' "$round"
    line dump "$file"
    expect+=("$file 0 $changes")
    round=$((round + 1))
  done
  # Every slot written, loaded through the load screen.
  local s first=1
  for s in 1 2 3 4 5 6; do
    ((slot_scene[s])) || continue
    if ((first)); then click 400 320; else click 565 572; fi
    after 400; changes=$((changes + 1)); first=0
    line dump "dumps/slots-$s.json"
    load_slot "$s"
    line dump "dumps/load-$s.json"
    expect+=("dumps/load-$s.json ${slot_scene[s]} $changes")
  done
  after 100
  line end
}

# ---------------------------------------------------------------------------
# The run and the checks.

{ echo "# bench/soak.sh $goal: generated"; generate; } > "$out/soak.txt"
printf '%s\n' "${expect[@]}" > "$out/expect.txt"
echo "soak: $round rounds, $changes scene changes planned, $(wc -l < "$out/soak.txt") script lines, ${t} ms of game clock"

start_ns=$(date +%s%N)
status=0
(cd "$out" && "$replay" "$game" soak.txt) > "$out/replay.out" 2>&1 || status=$?
wall=$((($(date +%s%N) - start_ns) / 1000000))
echo "soak: tavri-replay exited with $status after $((wall / 1000)).$(printf '%03d' $((wall % 1000))) s"
failed=0
if ((status != 0)); then
  echo "FAIL: tavri-replay exit status $status"; tail -n 30 "$out/replay.out"; failed=1
fi

# The scene, the scene changes, the device state and the memory figures of
# a dump, in one line ("-" for a member missing). The first "scene" member is
# the top-level one.
read_dump() {
  awk '
    function take(key) { v = $0; sub(/^ *"[A-Za-z]+": /, "", v); sub(/,$/, "", v); gsub(/"/, "", v); got[key] = v }
    /^  "scene": / && !("scene" in got) { take("scene") }
    /^  "sceneChanges": / { take("changes") }
    /^  "device": / { take("device") }
    /^  "textures": / { take("textures") }
    /"residentKiB": / { take("rss") }
    /"peakResidentKiB": / { take("peak") }
    END {
      n = split("scene changes device textures rss peak", keys, " ")
      for (i = 1; i <= n; ++i) printf "%s ", ((keys[i] in got) ? got[keys[i]] : "-")
      print ""
    }' "$1"
}

mark=$((goal / 10)); mark_changes=''; mark_peak=''; mark_rss=''
: > "$out/resident.txt"  # changes and resident KiB at each round's end
last_changes=0; last_peak=0; last_rss=0; next_tenth=$mark
series=''
while read -r file scene planned; do
  if [[ ! -f "$out/$file" ]]; then echo "FAIL: $file was not written"; failed=1; break; fi
  read -r got_scene got device textures rss peak < <(read_dump "$out/$file")
  if [[ "$got_scene" != "$scene" || "$got" != "$planned" || "$device" != ok ]]; then
    echo "FAIL: $file: scene $got_scene after $got scene changes, device $device;" \
      "planned scene $scene after $planned, device ok"
    failed=1; break
  fi
  last_changes=$got; last_rss=$rss; last_peak=$peak
  [[ "$file" == dumps/r* && "$rss" != - ]] && echo "$got $rss" >> "$out/resident.txt"
  if [[ "$file" == dumps/r* && "$got" -ge "$next_tenth" && "$peak" != - ]]; then
    [[ -z "$mark_changes" ]] && { mark_changes=$got; mark_rss=$rss; mark_peak=$peak; }
    series+="$(printf '\n  %6d changes: resident %6d KiB, peak %6d KiB, %s textures' "$got" "$rss" "$peak" "$textures")"
    next_tenth=$(((got / mark + 1) * mark))
  fi
done < "$out/expect.txt"

if ((last_changes < goal)); then echo "FAIL: $last_changes scene changes reached, $goal wanted"; failed=1; fi

# Every slot written has its file and its label on the load screen, and
# loaded into its scene (checked above with the other dumps).
written=0
for s in 1 2 3 4 5 6; do
  ((slot_scene[s])) || continue
  written=$((written + 1))
  if [[ ! -s "$out/data/Tavri/DemoSave$s.dat" ]]; then echo "FAIL: slot $s has no file"; failed=1; fi
  if ! grep -q "\"slot\": $s," "$out/dumps/slots-$s.json" 2>/dev/null; then
    echo "FAIL: slot $s has no label on the load screen"; failed=1
  fi
done

# The game's Err.txt, and the one that takes what is logged before the game's
# folder is known.
err_lines=0
for err in "$out/data/Tavri/Err.txt" "$out/data/_TavErr/Err.txt"; do
  [[ -s "$err" ]] || continue
  err_lines=$((err_lines + $(wc -l < "$err")))
  echo "FAIL: $err has $(wc -l < "$err") lines:"; sed -n '1,20p' "$err"; failed=1
done

mib() { awk -v k="${1:-0}" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
echo "soak: scene changes: $last_changes (goal $goal) in $round rounds"
[[ -n "$series" ]] && echo "soak: memory every tenth of the run:$series"
# The median resident KiB of the rounds that ended with FROM <= changes < TO.
median_resident() {
  awk -v from="$1" -v to="$2" '$1 >= from && $1 < to { print $2 }' "$out/resident.txt" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR ? v[int((NR + 1) / 2)] : 0) }'
}
if [[ -n "$mark_changes" && "$last_peak" != - && "$last_peak" -gt 0 ]]; then
  echo "soak: at $mark_changes changes: resident $(mib "$mark_rss"), peak $(mib "$mark_peak")"
  echo "soak: at $last_changes changes: resident $(mib "$last_rss"), peak $(mib "$last_peak")"
  echo "soak: peak growth between them: $(mib $((last_peak - mark_peak)))"
  second=$(median_resident $((goal / 4)) $((goal / 2)))
  last=$(median_resident $((goal * 3 / 4)) $((goal * 2)))
  echo "soak: median resident at the rounds' ends: second quarter $(mib "$second"), last quarter $(mib "$last")"
  if ((goal < 1000 || second == 0 || last == 0)); then
    echo "soak: too short a run to judge whether memory is flat"
  elif ((growth_limit_mb > 0 && last - second > growth_limit_mb * 1024)); then
    echo "FAIL: resident memory grew by more than $growth_limit_mb MiB from the second quarter to the last"; failed=1
  fi
fi
echo "soak: Err.txt: $err_lines lines"
echo "soak: save slots written and loaded: $written"
if ((failed)); then echo "soak: FAILED (files in $out)"; exit 1; fi
echo "soak: passed"
