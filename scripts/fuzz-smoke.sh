#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in build/fuzz with clang (-fsanitize=fuzzer,address,
# undefined) and runs each one briefly from its seed corpus. Exits non-zero when a target
# crashes or cannot be built. Called by scripts/test.sh with a results folder, where it leaves
# one log per target, any crashing input (fuzz-<target>-crash-...) and fuzz.xml.
#
#   scripts/fuzz-smoke.sh [RESULTS]        FUZZ_SECONDS=N sets the time per target (default 15)
#
# Longer runs: see fuzz/README.md.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
results=${1:-$root/build/fuzz-results}
seconds=${FUZZ_SECONDS:-15}
dir=$root/build/fuzz
targets=(skin_store quick_ini bitmap lzh skin_apply workflow_extraction workflow_rewrite)
mkdir -p "$results"

if ! command -v clang++ >/dev/null; then
  echo "fuzz-smoke: clang++ is missing (scripts/setup.sh installs clang and libclang-rt-14-dev)" >&2
  exit 1
fi
# Configured every time: a build folder from before a new target was added knows no rule for it.
cmake -S "$root" -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BENCH=OFF >"$results/fuzz-configure.log" 2>&1 || {
  cat "$results/fuzz-configure.log" >&2; echo "fuzz-smoke: configure failed" >&2; exit 1; }
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >"$results/fuzz-build.log" 2>&1 || {
  tail -40 "$results/fuzz-build.log" >&2; echo "fuzz-smoke: build failed" >&2; exit 1; }

run() { # target: runs it, returns its exit code
  local t=$1 work=$dir/corpus/$1
  mkdir -p "$work"
  "$dir/fuzz/fuzz_$t" "$work" "$root/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$results/fuzz-$t-" >"$results/fuzz-$t.log" 2>&1
}

# Two at a time (the machines have two cores).
declare -A status
pids=()
for t in "${targets[@]}"; do
  run "$t" & pids+=("$!:$t")
  if [ ${#pids[@]} -ge 2 ]; then
    for p in "${pids[@]}"; do wait "${p%%:*}"; status[${p#*:}]=$?; done
    pids=()
  fi
done
for p in "${pids[@]}"; do wait "${p%%:*}"; status[${p#*:}]=$?; done

failed=0
cases=""
for t in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$results/fuzz-$t.log" | grep -o '[0-9]*$' || true)
  if [ "${status[$t]}" -eq 0 ]; then
    echo "fuzz_$t: clean, ${runs:-?} runs in ${seconds}s"
    cases+="<testcase name=\"fuzz_$t\" classname=\"fuzz\"/>"
  else
    failed=$((failed + 1))
    echo "fuzz_$t: FAILED (exit ${status[$t]}), see $results/fuzz-$t.log"
    grep -m3 -E 'ERROR|SUMMARY|Test unit written' "$results/fuzz-$t.log" || tail -5 "$results/fuzz-$t.log"
    cases+="<testcase name=\"fuzz_$t\" classname=\"fuzz\"><failure message=\"crash\"/></testcase>"
  fi
done
cat >"$results/fuzz.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="${#targets[@]}" failures="$failed" disabled="0" errors="0" name="fuzz">
<testsuite name="fuzz" tests="${#targets[@]}" failures="$failed" disabled="0" errors="0">$cases</testsuite>
</testsuites>
XML
[ "$failed" -eq 0 ]
