#!/usr/bin/env bash
# The whole test run: native suite, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows suite under Wine, and bounded fuzzing.
# usage: bash scripts/test.sh [fuzz seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds=${1:-60}
jobs=$(nproc)

bash scripts/setup-deps.sh

passed=0
failed=0
tally() {  # adds one ctest log's counts
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1)
    [ -n "$line" ] || { failed=$((failed + 1)); return; }
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

suite() {  # configure, build and test one preset
    local preset=$1
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    local log=build/$preset-ctest.log
    ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log" || true
    tally "$log"
}

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# GCC 12's leak checker can read a stale dynamic-TLS range that a driver's threads left
# behind, and its tracer then crashes at exit, depending on the binary's layout.
export ASAN_OPTIONS="intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

suite native
suite native-asan
suite windows

echo "== fuzz ($fuzz_seconds s per target)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
if bash tests/fuzz/run-fuzzers.sh build/fuzz "$fuzz_seconds"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

echo "petalrain: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
