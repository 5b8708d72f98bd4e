#!/usr/bin/env bash
# Builds the benchmarks, runs them all and prints one table: each figure with
# the reference measured beside it in the same run, their ratio and the target.
# Exits 1 when a target is missed.
#
#   bench/run.sh [BUILD_DIR]     (make bench; STARTUP_RUNS=20 and JOBS=2 by default)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
jobs=${JOBS:-2}
runs=${STARTUP_RUNS:-20}
export QT_QPA_PLATFORM=offscreen

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTRIK_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs" --target \
    zentrik_firstframe bare_window startup_compare drag_repaint handlers_bench
bin=$(cd "$build/bench" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== start-up and memory: $runs runs of each, in turn" >&2
"$bin/startup_compare" "$runs" "$bin/zentrik_firstframe" "$bin/bare_window" >"$work/startup" 2>"$work/startup.log" ||
    { cat "$work/startup.log" >&2; exit 1; }
tail -n 1 "$work/startup.log" >&2

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
moves=$(sed -n 's/^pad moves: \([0-9]*\),.*/\1/p' "$work/drag")
repaints=$(sed -n 's/^full repaints: \([0-9]*\);.*/\1/p' "$work/drag")
echo "drag $(instructions 'pad move' "$moves") $(instructions 'full repaint' "$repaints")" >>"$work/startup"

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
} >>"$work/startup"

echo >&2
awk '
    { v[$1] = $2; r[$1] = $3 }
    function row(figure, value, reference, ratio, target, ok) {
        printf "%-40s %14s %14s %9s %-22s %s\n", figure, value, reference, ratio, target, ok
        if (ok == "MISS") missed = 1
    }
    END {
        frame_ns = 1e9 / 60
        printf "%-40s %14s %14s %9s %-22s %s\n", "figure", "value", "reference", "ratio", "target", ""
        q = v["startup_ms"] / r["startup_ms"]
        row("start-up to first frame (median)", sprintf("%.1f ms", v["startup_ms"]),
            sprintf("%.1f ms bare", r["startup_ms"]), sprintf("%.2fx", q), "<= 1.30x", q <= 1.3 ? "OK" : "MISS")
        d = v["peak_rss_mb"] - r["peak_rss_mb"]
        row("peak RSS after first frame (median)", sprintf("%.1f MB", v["peak_rss_mb"]),
            sprintf("%.1f MB bare", r["peak_rss_mb"]), sprintf("%.2fx", v["peak_rss_mb"] / r["peak_rss_mb"]),
            sprintf("<= +10 MB (+%.1f)", d), d <= 10 ? "OK" : "MISS")
        q = v["drag"] / r["drag"]
        row("drag: pad move + repaint (instr.)", sprintf("%.0f", v["drag"]),
            sprintf("%.0f full", r["drag"]), sprintf("%.3f", q), "<= 0.100", q <= 0.1 ? "OK" : "MISS")
        q = v["move_ns"] / frame_ns
        row("Picture1_MouseMove + snap test", sprintf("%.0f ns", v["move_ns"]), "16.7 ms frame",
            sprintf("%.1e", q), "<= 1e-2 of a frame", q <= 0.01 ? "OK" : "MISS")
        q = v["click_ns"] / frame_ns
        row("Piece_Click select", sprintf("%.0f ns", v["click_ns"]), "16.7 ms frame",
            sprintf("%.1e", q), "<= 1e-2 of a frame", q <= 0.01 ? "OK" : "MISS")
        row("whole game A-Z, window offscreen", sprintf("%.0f ms", v["game_ms"]),
            sprintf("%.0f ms rules", r["game_ms"]), sprintf("%.1fx", v["game_ms"] / r["game_ms"]), "none", "info")
        exit missed
    }' "$work/startup"
