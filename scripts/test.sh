#!/usr/bin/env bash
# Builds and runs every test: native, native under ASan/UBSan, fuzz smoke runs, and the
# Windows tests under Wine. Ends with one line: "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
results=$root/build/test-results
failures=0
# Tests that would skip for want of something the set-up provides (the https test authority)
# fail instead when this is set.
export CORVANE_CI=1
step() { echo; echo "== $*"; }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

"$root/scripts/setup.sh" || exit 1
rm -rf "$results"; mkdir -p "$results"

step "native build"
"$root/scripts/build.sh" native || exit 1
step "native tests"
"$root/build/native/native_tests" --gtest_output="xml:$results/native.xml" --gtest_brief=1 \
  || fail "native tests"

step "native tests under AddressSanitizer and UBSan"
"$root/scripts/build.sh" asan --target native_tests || exit 1
ASAN_OPTIONS=detect_leaks=1 "$root/build/asan/native_tests" \
  --gtest_output="xml:$results/asan.xml" --gtest_brief=1 || fail "sanitizer tests"

if [ -x "$root/scripts/fuzz-smoke.sh" ]; then
  step "fuzz smoke runs"
  "$root/scripts/fuzz-smoke.sh" "$results" || fail "fuzzers"
fi

step "windows build"
"$root/scripts/build.sh" win || exit 1

source "$root/scripts/wine-env.sh"
trap corvane_cleanup EXIT
corvane_prepare_prefix
corvane_ensure_display || exit 1
wineserver -p >/dev/null 2>&1
step "windows tests under Wine"
timeout -k 10 1500 wine "$root/build/win/bin/win_tests.exe" \
  --gtest_output="xml:$(winepath -w "$results/win.xml")" --gtest_brief=1 || fail "windows tests"

# One line for the whole run, summed over every test report written above.
passed=0; failed=0; skipped=0
for f in "$results"/*.xml; do
  [ -f "$f" ] || continue
  line=$(grep -m1 '<testsuites' "$f")
  t=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$line")
  fl=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$line")
  er=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$line")
  dis=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$line")
  sk=$(grep -c '<skipped' "$f" || true)
  failed=$((failed + fl + er)); skipped=$((skipped + ${sk:-0}))
  passed=$((passed + t - fl - er - ${dis:-0} - ${sk:-0}))
done
# A crashed or missing test process counts as a failure even when no report says so.
[ "$failures" -gt 0 ] && [ "$failed" -eq 0 ] && failed=$failures
echo
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$failures" -eq 0 ]
