#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time on a scratch copy of its seed corpus.
# usage: run-fuzzers.sh <fuzz build dir> <seconds per target>
# Exits non-zero when a target finds anything (crash, leak, timeout, memory
# blow-up) or cannot run; what it found is kept under <build dir>/fuzz-findings/.
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 <fuzz build dir> <seconds per target>" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for name in document image outline; do
    target=$build/tests/fuzz/fuzz_$name
    if [ ! -x "$target" ]; then
        echo "fuzz_$name: not built in $build" >&2
        status=1
        continue
    fi
    corpus=$scratch/$name
    seeds=$here/corpus/$name
    [ -d "$seeds" ] || seeds=$here/corpus/document  # the outline reads documents too
    cp -r "$seeds" "$corpus"
    findings=$build/fuzz-findings/$name
    mkdir -p "$findings"
    echo "== fuzz_$name ($seconds s)"
    # stdout closed: the loader's diagnostics would drown the fuzzer's report.
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$scratch/$name.log" 2>&1; then
        status=1
        tail -n 60 "$scratch/$name.log" >&2
        echo "fuzz_$name: finding kept in $findings" >&2
    else
        grep -E '^stat::number_of_executed_units|^Done ' "$scratch/$name.log" || tail -n 3 "$scratch/$name.log"
    fi
done
exit $status
