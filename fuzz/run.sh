#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time and prints what it did. The
# corpus grows in BUILD_DIR/corpus/ from run to run; a crashing input is kept
# in BUILD_DIR/artifacts/. Exits 1 when a target crashed.
#
#   fuzz/run.sh [BUILD_DIR] [SECONDS]     (make fuzz FUZZ_SECONDS=60)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-fuzz}
seconds=${2:-60}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The GIF decoder starts from the real pictures: every GIF the generator drew.
seeds=$build/seeds/fuzz_loadpicture
rm -rf "$seeds"
mkdir -p "$seeds" "$build/seeds/fuzz_rules" "$build/artifacts"
cp "$build"/pictures/*.gif "$build"/pictures/design/*.gif "$seeds"/

# The tool's target writes one good input of each kind it reads (a launch's
# form, its claims and header, a cookie, a JWKS, a JWS, a progress report),
# signed with the key it keeps beside itself. It is built only where the
# tool's libraries are.
targets="fuzz_loadpicture fuzz_rules"
if [ -x "$build/fuzz/fuzz_tool" ]; then
    rm -rf "$build/seeds/fuzz_tool"
    mkdir -p "$build/seeds/fuzz_tool"
    "$build/fuzz/fuzz_tool" -write_seeds="$build/seeds/fuzz_tool"
    targets="$targets fuzz_tool"
fi

failed=0
for target in $targets; do
    corpus=$build/corpus/$target
    log=$build/artifacts/$target.log
    mkdir -p "$corpus"
    echo "== $target for $seconds s" >&2
    # A target's dictionary, where it has one, beside its source.
    dictionary=()
    [ -f "fuzz/$target.dict" ] && dictionary=(-dict="fuzz/$target.dict")
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 "${dictionary[@]}" \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "$build/seeds/$target" >"$log" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    if [ "$status" -eq 0 ]; then
        echo "$target: ${execs:-?} runs, corpus $(find "$corpus" -type f | wc -l) inputs, no crash"
    else
        failed=1
        echo "$target: CRASH after ${execs:-?} runs (exit $status); log $log:"
        grep -E 'ERROR|SUMMARY|invariant|Test unit written|runtime error' "$log" | head -20
    fi
done
exit $failed
