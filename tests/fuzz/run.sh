#!/usr/bin/env bash
# Runs each fuzz target for SECONDS on a copy of its seed corpus, so the tree stays as it is.
# A crash, a sanitizer report, a slow input or a failed property fails the run, and the log
# keeps the property and the reproducer's bytes in hex.
# usage: tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]   (the targets: fuzz_import fuzz_answer)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_import fuzz_answer)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
    cp -r "$here/corpus/$target" "$work/$target"
    mkdir "$work/$target-found"
    echo "fuzz: $target for ${seconds} s"
    if "$build/tests/fuzz/$target" "$work/$target" -max_total_time="$seconds" -timeout=10 \
        -dict="$here/${target#fuzz_}.dict" -artifact_prefix="$work/$target-found/" \
        -print_final_stats=1 >"$work/$target.log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec)' \
            "$work/$target.log" | sed "s/^/fuzz: $target: /"
        continue
    fi
    status=1
    # From the first report on: the failed property and its input, or the sanitizer's report.
    first=$(grep -n -m1 -E '^==== property failed|ERROR: |runtime error:' "$work/$target.log" |
        cut -d: -f1 || true)
    if [ -n "$first" ]; then
        tail -n +"$first" "$work/$target.log"
    else
        tail -n 80 "$work/$target.log"
    fi
    for found in "$work/$target-found"/*; do
        [ -e "$found" ] || continue
        echo "fuzz: $target: reproducer $(basename "$found"), $(stat -c %s "$found") bytes, in hex:"
        od -An -tx1 -v "$found"
    done
done
exit $status
