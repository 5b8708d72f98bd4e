#!/usr/bin/env bash
# Builds the benchmarks, runs them all and prints one table: each figure with
# the reference measured beside it in the same run, their ratio and the target.
# Exits 1 when a target is missed.
#
#   bench/run.sh [BUILD_DIR [SANITIZE_DIR [WEB_SITE [SINGLE_FILE]]]]     (make bench)
#
# STARTUP_RUNS=20, LATENCY_MOVES=500 (a round; two rounds of each program),
# SOAK_EVENTS=100000, SOAK_SEED=1, LIGHTHOUSE_RUNS=3 and JOBS=2 by default.
# The page's figures (bench/web_bench.py) take the same numbers of loads,
# moves and events; Lighthouse comes from make lighthouse.
#
# The LTI tool's figures (bench/tool_bench.py): zentrik-tool beside ltijs
# (bench/ltijs, installed by make bench) on a PostgreSQL of its own, served
# the page folder beside SINGLE_FILE (make web's lti/); TOOL_CLASS_ROUNDS=10,
# TOOL_BURST=2000 launches at TOOL_RATE=200 a second. BENCH_PART=tool builds
# and measures the tool alone, and prints its rows.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
sanitize=${2:-build-sanitize}
site=${3:-build-web}
single=${4:-build-wasm/zentrik.html}
jobs=${JOBS:-2}
runs=${STARTUP_RUNS:-20}
moves=${LATENCY_MOVES:-500}
events=${SOAK_EVENTS:-100000}
seed=${SOAK_SEED:-1}
lighthouse_runs=${LIGHTHOUSE_RUNS:-3}
class_rounds=${TOOL_CLASS_ROUNDS:-10}
burst=${TOOL_BURST:-2000}
rate=${TOOL_RATE:-200}
part=${BENCH_PART:-all}
export QT_QPA_PLATFORM=offscreen

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTRIK_BENCH=ON >/dev/null

# The LTI tool's lines, for the table.
tool_figures() {
    cmake --build "$build" -j "$jobs" --target zentrik-tool >&2
    [ -d bench/ltijs/node_modules ] ||
        { echo "ltijs is not installed: make bench installs it (cd bench/ltijs && npm ci)" >&2; return 1; }
    echo "== the LTI tool beside ltijs: a class of 40 at once $class_rounds times," \
        "$burst launches at $rate a second, a letter to the gradebook" >&2
    /usr/bin/python3 -B bench/tool_bench.py "$build/zentrik-tool" "$(dirname "$single")/lti" bench/ltijs \
        "$class_rounds" "$burst" "$rate"
}

if [ "$part" = tool ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    tool_figures >"$work/figures"
    echo >&2
    awk -v part=tool -f bench/table.awk "$work/figures"
    exit
fi

cmake --build "$build" -j "$jobs" --target zentrik \
    zentrik_firstframe bare_window startup_compare drag_repaint handlers_bench bare_drag input_latency x11_soak
# The soak plays the game as `make sanitize` builds it.
cmake -S . -B "$sanitize" -DCMAKE_BUILD_TYPE=Debug -DZENTRIK_SANITIZE=ON >/dev/null
cmake --build "$sanitize" -j "$jobs" --target zentrik
bin=$(cd "$build/bench" && pwd)
work=$(mktemp -d)
xvfb=
program=
trap '[ -z "$program$xvfb" ] || kill $program $xvfb 2>/dev/null; rm -rf "$work"' EXIT

echo "== start-up and memory: $runs runs of each, in turn" >&2
"$bin/startup_compare" "$runs" "$bin/zentrik_firstframe" "$bin/bare_window" >"$work/startup" 2>"$work/startup.log" ||
    { cat "$work/startup.log" >&2; exit 1; }
tail -n 1 "$work/startup.log" >&2
{
    echo "samples startup_ms $runs $runs"
    echo "samples peak_rss_mb $runs $runs"
} >>"$work/startup"

echo "== a drag's pad move and a full repaint, under callgrind" >&2
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/callgrind.out" \
    "$bin/drag_repaint" >"$work/drag" 2>"$work/drag.log" ||
    { cat "$work/drag.log" >&2; exit 1; }
cat "$work/drag" >&2
# Instructions in the dump named `name`, per event: its totals over the events.
instructions() {
    local dump
    dump=$(grep -l "^desc: Trigger: Client Request: $1\$" "$work"/callgrind.out.*)
    awk -v n="$2" '/^(totals|summary):/ { printf "%.0f", $2 / n; exit }' "$dump"
}
# The callgrind run's own counts, not the latency rounds' $moves.
pad_moves=$(sed -n 's/^pad moves: \([0-9]*\),.*/\1/p' "$work/drag")
repaints=$(sed -n 's/^full repaints: \([0-9]*\);.*/\1/p' "$work/drag")
{
    echo "drag $(instructions 'pad move' "$pad_moves") $(instructions 'full repaint' "$repaints")"
    echo "samples drag $pad_moves $repaints"
} >>"$work/startup"

echo "== handlers and whole games (Google Benchmark)" >&2
"$bin/handlers_bench" --benchmark_format=csv >"$work/bench.csv" 2>"$work/bench.log" ||
    { cat "$work/bench.log" >&2; exit 1; }
# The median of a benchmark's repetitions, in the unit it reports.
median() {
    awk -F, -v name="$1" 'index($1, name) == 2 && $1 ~ /_median"?$/ {
        if ($9 == "true") { print "error: " $10 > "/dev/stderr"; exit 1 }
        print $3; exit }' "$work/bench.csv"
}
{
    echo "move_ns $(median BM_PadMoveWithSnapTest)"
    echo "click_ns $(median BM_PieceClickSelect)"
    echo "game_ms $(median BM_WholeGameWindow) $(median BM_WholeGameHandlers)"
    # Medians of Google Benchmark's repetitions (handlers_bench.cpp).
    echo "samples move_ns 5 -"
    echo "samples click_ns 5 -"
    echo "samples game_ms 3 5"
} >>"$work/startup"

# A private X server on a free display, with room around the window for
# wild pointer positions.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
until [ -s "$work/display" ]; do
    kill -0 $xvfb 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.05
done
export DISPLAY=:$(cat "$work/display")

# Starts a program on the X server; its standard error goes to $work/NAME.log.
start() {
    local name=$1
    shift
    QT_QPA_PLATFORM=xcb "$@" 2>"$work/$name.log" &
    program=$!
}
# Closes the program (the soak client asks its window to close first) and
# waits for it, 30 s at most; fails on a non-zero status.
finish() {
    local status=0 i
    [ "${1:-}" = closed ] || kill $program
    for i in $(seq 300); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
    kill -9 $program 2>/dev/null || true
    wait $program || status=$?
    program=
    return $status
}
# The median and the 99th percentile of a file of numbers, and how many there are.
percentiles() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[int(NR * 0.99 + 0.999)], NR }'
}

echo "== input to screen on X11: $((2 * moves)) moves of each, in rounds of $moves in turn" >&2
for round in 1 2; do
    for who in bare game; do
        if [ $who = bare ]; then start $who "$bin/bare_drag"; else start $who "$build/zentrik"; fi
        "$bin/input_latency" "$moves" >>"$work/latency.$who" 2>"$work/latency.log" ||
            { cat "$work/latency.log" "$work/$who.log" >&2; exit 1; }
        finish || true
    done
done
read -r game_median game_p99 game_samples < <(percentiles "$work/latency.game")
read -r bare_median bare_p99 bare_samples < <(percentiles "$work/latency.bare")
echo "game $game_median/$game_p99 µs of $game_samples moves, bare window $bare_median/$bare_p99 µs of $bare_samples (median/p99)" >&2
{
    echo "latency_median_us $game_median $bare_median"
    echo "latency_p99_us $game_p99 $bare_p99"
    echo "samples latency_median_us $game_samples $bare_samples"
    echo "samples latency_p99_us $game_samples $bare_samples"
} >>"$work/startup"

# The soak runs twice with the same events. First with every check on; then
# for the memory figure with ASan's quarantine and allocation stacks off, the
# sanitizer's own bookkeeping that would otherwise grow by up to 256 MB.
checks="detect_leaks=1"
memory="detect_leaks=1:quarantine_size_mb=0:thread_local_quarantine_size_kb=0:malloc_context_size=0"
for pass in checks memory; do
    echo "== soak ($pass): $events random X events on the sanitizer build, seed $seed" >&2
    start soak-$pass env ASAN_OPTIONS="${!pass}" UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/bench/lsan.supp" "$sanitize/zentrik"
    "$bin/x11_soak" "$events" "$seed" $program >"$work/soak.$pass" ||
        { finish || true; cat "$work/soak-$pass.log" >&2; exit 1; }
    finish closed && ! grep -q -e 'Sanitizer' -e 'runtime error' "$work/soak-$pass.log" ||
        { cat "$work/soak-$pass.log" >&2; echo "soak: the game failed" >&2; exit 1; }
done
read -r first_kb end_kb <"$work/soak.memory"
echo "soak_rss_kb $end_kb $first_kb" >>"$work/startup"
echo "soak_events $events" >>"$work/startup"
kill $xvfb
wait $xvfb || true
xvfb=

echo "== the page in Chromium, Firefox and WebKit: $runs loads and $moves moves of each;" \
    "Lighthouse $lighthouse_runs times; $events soak events" >&2
/usr/bin/python3 -B bench/web_bench.py "$site" "$single" "$runs" "$moves" "$events" "$lighthouse_runs" >>"$work/startup"

tool_figures >>"$work/startup"

echo >&2
awk -v part=all -f bench/table.awk "$work/startup"
