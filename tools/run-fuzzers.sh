#!/usr/bin/env bash
# Builds the component's text pieces natively (clang, libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer; project tests/fuzz) and fuzzes
# each: reason cutting, Val's reading, the number patterns, the row texts.
#
# Usage: run-fuzzers.sh [--build DIR] [RUNS [TARGET...]]
#          each target (or the ones named) for RUNS inputs, 10,000,000 by
#          default; new interesting inputs go to DIR/corpus/TARGET, findings
#          to DIR/findings/TARGET. Not for CI: 4 to 30 minutes a target.
#        run-fuzzers.sh --replay [--build DIR]
#          every input of the kept corpus (tests/fuzz/corpus/TARGET) once
#          through each target, as CI does; fails on any finding.
# DIR defaults to build-fuzz in the checkout.
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=$root/build-fuzz
replay=false
while [ $# -gt 0 ]; do
    case $1 in
        --replay) replay=true; shift ;;
        --build) build=$2; shift 2 ;;
        *) break ;;
    esac
done
runs=${1:-10000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(rejection_lines leading_number cell_text row_text_layout)

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
    kept=$root/tests/fuzz/corpus/$target
    if $replay; then
        count=$(find "$kept" -type f 2>/dev/null | wc -l)
        if [ "$count" -eq 0 ]; then
            echo "$target: no kept corpus in $kept" >&2
            failed=1
            continue
        fi
        if "$build/${target}_fuzz" -runs=0 -artifact_prefix="$build/$target.replay-" "$kept" \
            >"$build/$target.replay.log" 2>&1; then
            echo "$target: $count kept inputs replayed, no finding"
        else
            echo "$target: FINDING while replaying $kept" >&2
            cat "$build/$target.replay.log" >&2
            failed=1
        fi
        continue
    fi
    mkdir -p "$build/corpus/$target" "$build/findings/$target"
    log=$build/$target.log
    start=$(date +%s)
    seeds=("$build/corpus/$target")
    [ -d "$kept" ] && seeds+=("$kept")
    status=0
    "$build/${target}_fuzz" -runs="$runs" -max_len=256 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target/" "${seeds[@]}" >"$log" 2>&1 || status=$?
    seconds=$(( $(date +%s) - start ))
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    findings=$(find "$build/findings/$target" -type f | wc -l)
    echo "$target: ${executed:-?} inputs in ${seconds}s (${executed:+$(( executed / (seconds > 0 ? seconds : 1) ))} a second), $findings finding(s), corpus $(find "$build/corpus/$target" -type f | wc -l) inputs"
    if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
        grep -E "FINDING|ERROR|runtime error|SUMMARY" "$log" >&2 || true
        failed=1
    fi
done
exit $failed
