#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one for a bounded time, two
# at a time, on its seeds plus the corpus earlier runs grew
# (build/fuzz/corpus). Fails when any target finds a crash, a leak, an input
# slower than the timeout or a run over the memory limit; the input is left in
# build/fuzz/artifacts/<target>/.
#
#   fuzz/run.sh [SECONDS_EACH]      default $TAVRI_FUZZ_SECONDS, else 50
#   fuzz/run.sh 3600                an hour each
# Environment: TAVRI_FUZZ_TARGETS="pac image" runs only those;
# TAVRI_FUZZ_GAME_BUILD names the main build whose packed demo gives seeds;
# TAVRI_FUZZ_JOBS sets how many run at once (default 2, so all eight can share
# the cores for a long run); TAVRI_FUZZ_TIMEOUT the seconds one input may take
# (default 10; raise it when more targets than cores share the machine).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${TAVRI_FUZZ_SECONDS:-50}}
all=(pac config scenario image ogg save icon hlsl)
read -r -a targets <<<"${TAVRI_FUZZ_TARGETS:-${all[*]}}"
build=build/fuzz
jobs=${TAVRI_FUZZ_JOBS:-$(($(nproc) < 2 ? $(nproc) : 2))}
timeout=${TAVRI_FUZZ_TIMEOUT:-10}

# libFuzzer comes with clang's runtime libraries.
if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
  sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null
fi
CC=clang CXX=clang++ nice -n 19 cmake -S fuzz -B $build -DCMAKE_BUILD_TYPE=Fuzz >/dev/null
nice -n 19 cmake --build $build -j"$(nproc)" >/dev/null
rm -rf $build/seeds
bash fuzz/seeds.sh $build/seeds ${TAVRI_FUZZ_GAME_BUILD:-} >/dev/null

export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One target's run; its summary line goes to $build/logs/<target>.result.
fuzz_one() {
  local t=$1 corpus=$build/corpus/$1 artifacts=$build/artifacts/$1 log=$build/logs/$1.log rc
  mkdir -p "$corpus" "$artifacts"
  # New inputs go into the first folder; the seeds are only read.
  set +e
  nice -n 19 "$build/fuzz_$t" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$build/seeds/$t" >"$log" 2>&1
  rc=$?
  set -e
  local execs edges found
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | awk '{print $2}')
  # Crashes are the inputs the fuzzer kept as crashing, leaking, hanging or
  # running out of memory. The shader compiler's child processes print their
  # own sanitizer reports when a source crashes them, but such a crash is
  # contained and the compile fails as it should: those are not counted.
  found=$(grep -cE 'Test unit written to .*/(crash|leak|timeout|oom)-' "$log" || true)
  if ((rc != 0)); then
    echo "fuzz: $t failed (exit $rc); the input is in $artifacts, the output in $log" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5 >&2 || true
    ((found == 0)) && found=1
  fi
  printf '%-9s %7s %12s %7s %8s\n' "$t" "$seconds" "${execs:-?}" "${edges:-?}" "$found" >"$build/logs/$t.result"
  return $((rc != 0))
}

# The targets run $jobs at a time.
mkdir -p $build/logs
status=0
running=0
for t in "${targets[@]}"; do
  rm -f "$build/logs/$t.result"
  fuzz_one "$t" &
  running=$((running + 1))
  if ((running >= jobs)); then
    wait -n || status=1
    running=$((running - 1))
  fi
done
while ((running > 0)); do
  wait -n || status=1
  running=$((running - 1))
done

printf '%-9s %7s %12s %7s %8s\n' target seconds executions edges crashes
for t in "${targets[@]}"; do cat "$build/logs/$t.result"; done
exit $status
