# The table of bench/run.sh: reads "key value reference" lines and "samples
# key count count" lines, prints each figure beside its reference, their
# ratio, the target and OK or MISS, and exits 1 when a target is missed.
# part=tool prints the LTI tool's rows alone.
$1 == "samples" { n[$2] = $3 (($4 == "" || $4 == "-") ? "" : " / " $4); next }
{ v[$1] = $2; r[$1] = $3 }
# A row of the table; `key` names the figure whose samples it shows.
function row(figure, value, reference, ratio, target, ok, key) {
    printf "%-42s %12s %16s %8s %-22s %-4s %s\n", figure, value, reference, ratio, target, ok, \
        key in n ? n[key] : "-"
    if (ok == "MISS") missed = 1
}
# A median or 99th percentile at most `most` times its reference.
function relative(figure, key, unit, reference, most, digits,   q) {
    q = v[key] / r[key]
    row(figure, sprintf("%." digits "f %s", v[key], unit), sprintf("%." digits "f %s %s", r[key], unit, reference),
        sprintf("%.2fx", q), sprintf("<= %.2fx", most), q <= most ? "OK" : "MISS", key)
}
# The desktop game's and the page's rows.
function game_rows() {
    frame_ns = 1e9 / 60
    relative("start-up to first frame (median)", "startup_ms", "ms", "bare", 1.3, 1)
    d = v["peak_rss_mb"] - r["peak_rss_mb"]
    row("peak RSS after first frame (median)", sprintf("%.1f MB", v["peak_rss_mb"]),
        sprintf("%.1f MB bare", r["peak_rss_mb"]), sprintf("%.2fx", v["peak_rss_mb"] / r["peak_rss_mb"]),
        sprintf("<= +10 MB (+%.1f)", d), d <= 10 ? "OK" : "MISS", "peak_rss_mb")
    q = v["drag"] / r["drag"]
    row("drag: pad move + repaint (instr.)", sprintf("%.0f", v["drag"]),
        sprintf("%.0f full", r["drag"]), sprintf("%.3f", q), "<= 0.100", q <= 0.1 ? "OK" : "MISS", "drag")
    q = v["move_ns"] / frame_ns
    row("Picture1_MouseMove + snap test (median)", sprintf("%.0f ns", v["move_ns"]), "16.7 ms frame",
        sprintf("%.1e", q), "<= 1e-2 of a frame", q <= 0.01 ? "OK" : "MISS", "move_ns")
    q = v["click_ns"] / frame_ns
    row("Piece_Click select (median)", sprintf("%.0f ns", v["click_ns"]), "16.7 ms frame",
        sprintf("%.1e", q), "<= 1e-2 of a frame", q <= 0.01 ? "OK" : "MISS", "click_ns")
    v["latency_median_ms"] = v["latency_median_us"] / 1000; r["latency_median_ms"] = r["latency_median_us"] / 1000
    n["latency_median_ms"] = n["latency_median_us"]
    relative("X11 input to screen (median)", "latency_median_ms", "ms", "bare", 1.2, 2)
    p = v["latency_p99_us"] / 1000
    row("X11 input to screen (99th percentile)", sprintf("%.2f ms", p),
        sprintf("%.2f ms bare", r["latency_p99_us"] / 1000), sprintf("%.2fx", p * 1000 / r["latency_p99_us"]),
        "< 16 ms", p < 16 ? "OK" : "MISS", "latency_p99_us")
    row(sprintf("soak, %d X events (sanitizer)", v["soak_events"]), "no report", "-", "-", "none, no crash", "OK")
    d = (v["soak_rss_kb"] - r["soak_rss_kb"]) / 1024
    row("soak VmRSS at the end (sanitizer)", sprintf("%.1f MB", v["soak_rss_kb"] / 1024),
        sprintf("%.1f MB at 1000", r["soak_rss_kb"] / 1024), sprintf("%.3fx", v["soak_rss_kb"] / r["soak_rss_kb"]),
        sprintf("< +1 MB (+%.2f)", d), d < 1 ? "OK" : "MISS")
    row("whole game A-Z, window offscreen (median)", sprintf("%.0f ms", v["game_ms"]),
        sprintf("%.0f ms rules", r["game_ms"]), sprintf("%.1fx", v["game_ms"] / r["game_ms"]), "none", "info", "game_ms")
    q = v["web_transfer_kb"] / r["web_transfer_kb"]
    row("page: first visit, gzipped", sprintf("%.1f KB", v["web_transfer_kb"]),
        sprintf("%.0f KB budget", r["web_transfer_kb"]), sprintf("%.2fx", q), "<= 1.00x", q <= 1 ? "OK" : "MISS")
    split("web_single_file_kb web_single_file_gzip_kb", sizes)
    split("raw gzipped", kinds)
    for (e = 1; e <= 2; e++) {
        q = v[sizes[e]] / r[sizes[e]]
        row("single file, " kinds[e], sprintf("%.1f KB", v[sizes[e]]), sprintf("%.0f KB budget", r[sizes[e]]),
            sprintf("%.2fx", q), "<= 1.00x", q <= 1 ? "OK" : "MISS")
    }
    split("scorm12 scorm2004", standards)
    split("1.2 2004", names)
    for (e = 1; e <= 2; e++) {
        for (z = 0; z <= 1; z++) {
            k = "web_" standards[e] (z ? "_zip_kb" : "_kb")
            q = v[k] / r[k]
            row(sprintf("course package %s, %s", names[e], z ? "zipped" : "unpacked"), sprintf("%.1f KB", v[k]),
                sprintf("%.1f KB folder", r[k]), sprintf("%.2fx", q), "<= 1.10x", q <= 1.1 ? "OK" : "MISS")
        }
    }
    row("page: JavaScript shape, raw", sprintf("%.1f KB", v["web_js_shape_kb"]), "-", "-", "none", "info")
    row("page: JavaScript shape, gzipped", sprintf("%.1f KB", v["web_js_shape_gzip_kb"]), "-", "-", "none", "info")
    # Each engine beside a bare page in the same engine and run: the
    # first frame from the server, pointer to frame (Chromium: single
    # moves; Firefox and WebKit, whose drivers send none: one sweep).
    split("chromium firefox webkit", engines)
    for (e = 1; e <= 3; e++) {
        k = "web_" engines[e]
        relative(sprintf("page, %s: first frame (median)", engines[e]), k "_first_frame_ms", "ms", "bare", 1.5, 0)
        relative(sprintf("single file, %s: first frame from disk", engines[e]), k "_disk_first_frame_ms", "ms",
            "bare", 1.5, 0)
        relative(sprintf("JavaScript shape, %s: first frame", engines[e]), k "_js_first_frame_ms", "ms", "bare", 2, 0)
        relative(sprintf("JavaScript shape, %s: pointer to frame (median)", engines[e]), k "_js_input_median_ms", "ms",
            "bare", 1.5, 1)
        relative(sprintf("JavaScript shape, %s: pointer to frame (99th)", engines[e]), k "_js_input_p99_ms", "ms",
            "bare", 1.5, 1)
        relative(sprintf("course package, %s: first frame in a player", engines[e]), k "_course_first_frame_ms",
            "ms", "served", 1.5, 0)
        relative(sprintf("page, %s: pointer to frame (median)", engines[e]), k "_input_median_ms", "ms", "bare", 1.2, 1)
        relative(sprintf("page, %s: pointer to frame (99th)", engines[e]), k "_input_p99_ms", "ms", "bare", 1.2, 1)
    }
    # Lighthouse, mobile settings (a mid-range phone: 4x slower CPU, slow 4G).
    k = "web_lighthouse_performance"
    row("page, Lighthouse mobile: Performance", sprintf("%d", v[k]), sprintf("%d bare", r[k]), "-", ">= 98",
        v[k] >= 98 ? "OK" : "MISS", k)
    k = "web_lighthouse_tbt_ms"
    row("page, Lighthouse mobile: Total Blocking Time", sprintf("%.0f ms", v[k]), sprintf("%.0f ms bare", r[k]), "-",
        "<= 50 ms", v[k] <= 50 ? "OK" : "MISS", k)
    # The longest task of the page itself (0 is none over 50 ms), shown:
    # on two cores the threads of the browser take the core in the
    # middle of the tasks of the page and decide its length. The goal is
    # on the time the page ran on a core in it, counted four times over
    # (twice where it lays out) as Lighthouse counts the task.
    k = "web_lighthouse_longest_task_ms"
    row("page, Lighthouse mobile: longest own task", v[k] ? sprintf("%.0f ms", v[k]) : "none > 50",
        r[k] ? sprintf("%.0f ms bare", r[k]) : "none > 50 bare", "-", "none", "info", k)
    k = "web_lighthouse_longest_task_on_core_ms"
    row("page, Lighthouse mobile: its own time on a core", v[k] ? sprintf("%.0f ms", v[k]) : "none > 50",
        r[k] ? sprintf("%.0f ms bare", r[k]) : "none > 50 bare", "-", "<= 50 ms", v[k] <= 50 ? "OK" : "MISS", k)
    k = "web_lighthouse_lcp_ms"
    row("page, Lighthouse mobile: Largest Contentful Paint", sprintf("%.0f ms", v[k]), sprintf("%.0f ms bare", r[k]),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
    row(sprintf("page: soak, %d pointer events", v["web_soak_events"]),
        r["web_soak_events"] == 0 ? "no error" : sprintf("%d errors", r["web_soak_events"]), "-", "-",
        "no error, answers", r["web_soak_events"] == 0 ? "OK" : "MISS")
    d = v["web_soak_wasm_mb"] - r["web_soak_wasm_mb"]
    row("page: soak WebAssembly memory at the end", sprintf("%.2f MB", v["web_soak_wasm_mb"]),
        sprintf("%.2f MB at 1000", r["web_soak_wasm_mb"]), sprintf("%.3fx", v["web_soak_wasm_mb"] / r["web_soak_wasm_mb"]),
        sprintf("< +1 MB (+%.2f)", d), d < 1 ? "OK" : "MISS")
    d = v["web_soak_heap_mb"] - r["web_soak_heap_mb"]
    row("page: soak JavaScript heap at the end", sprintf("%.2f MB", v["web_soak_heap_mb"]),
        sprintf("%.2f MB at 1000", r["web_soak_heap_mb"]), sprintf("%.3fx", v["web_soak_heap_mb"] / r["web_soak_heap_mb"]),
        sprintf("< +1 MB (+%.2f)", d), d < 1 ? "OK" : "MISS")
}
# The LTI tool's rows: zentrik-tool beside ltijs on PostgreSQL, both
# launched from the same platform in the same run (bench/tool_bench.py).
function tool_rows(   q, k, step, steps, moments, names, ok, busiest) {
    split("class burst", steps)
    names["class"] = "LTI, class of 40 at once"
    names["burst"] = sprintf("LTI, burst %d at %d/s", r["tool_burst_rate"], v["tool_burst_rate"])
    for (step = 1; step <= 2; step++) {
        k = "tool_" steps[step] "_launches_per_s"
        q = v[k] / r[k]
        # An open loop answers no more launches than arrive: at the arrival
        # rate (less the last launch's own time, 5 % at most) the tool has
        # kept up, whatever ltijs managed.
        ok = q >= 5 || (steps[step] == "burst" && v[k] >= 0.95 * v["tool_burst_rate"])
        row(names[steps[step]] ": launches/s", sprintf("%.0f /s", v[k]), sprintf("%.0f /s ltijs", r[k]),
            sprintf("%.2fx", q), steps[step] == "burst" ? ">= 5x or all arriving" : ">= 5.00x", ok ? "OK" : "MISS", k)
        k = "tool_" steps[step] "_median_ms"
        row(names[steps[step]] ": median", sprintf("%.1f ms", v[k]), sprintf("%.1f ms ltijs", r[k]),
            sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
        k = "tool_" steps[step] "_p99_ms"
        row(names[steps[step]] ": 99th percentile", sprintf("%.1f ms", v[k]), sprintf("%.1f ms ltijs", r[k]),
            sprintf("%.2fx", v[k] / r[k]), steps[step] == "class" ? "<= 50 ms" : "none",
            steps[step] == "burst" ? "info" : v[k] <= 50 ? "OK" : "MISS", k)
    }
    # The burst's first quarter again, each child's browser keeping its
    # connections to the tool open, as a browser does with no proxy between.
    k = "tool_kept_launches_per_s"
    row("LTI, browsers keep connections: launches/s", sprintf("%.0f /s", v[k]), sprintf("%.0f /s ltijs", r[k]),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
    k = "tool_kept_p99_ms"
    row("LTI, browsers keep connections: 99th", sprintf("%.1f ms", v[k]), sprintf("%.1f ms ltijs", r[k]),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
    # Of the class and the burst; in the percentiles, a launch refused or
    # not answered in its step's time counts as that time.
    q = v["tool_class_failed"] + v["tool_burst_failed"]
    row("LTI: launches refused or unanswered", sprintf("%d", q),
        sprintf("%d ltijs", r["tool_class_failed"] + r["tool_burst_failed"]), "-", "none", q == 0 ? "OK" : "MISS")
    k = "tool_kept_failed"
    row("LTI, browsers keep connections: unanswered", sprintf("%d", v[k]), sprintf("%d ltijs", r[k]), "-", "none",
        "info")
    k = "tool_burst_cpu_ms"
    row("LTI: tool's CPU per launch (burst)", sprintf("%.2f ms", v[k]), sprintf("%.2f ms ltijs+pg", r[k]),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
    k = "tool_burst_platform_cpu_ms"
    row("LTI: platform's CPU per launch (burst)", sprintf("%.2f ms", v[k]), sprintf("%.2f ms ltijs's", r[k]),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
    busiest = 0
    for (step = 1; step <= 2; step++) {
        k = "tool_" steps[step] "_load_core"
        busiest = v[k] > busiest ? v[k] : busiest
        busiest = r[k] > busiest ? r[k] : busiest
    }
    row("LTI: the load's own share of a core", sprintf("%.2f", busiest), "-", "-", "< 0.80, not the limit",
        busiest < 0.8 ? "OK" : "MISS")
    k = "tool_gradebook_p99_ms"
    row("LTI: a letter to the gradebook (99th)", sprintf("%.1f ms", v[k]), sprintf("%.1f ms answer", r[k]), "-",
        "<= 1000 ms, none lost",
        v[k] <= 1000 && v["tool_gradebook_lost"] == 0 ? "OK" : "MISS", k)
    split("idle class", moments)
    names["idle"] = "idle after start"
    names["class"] = "after the class"
    for (step = 1; step <= 2; step++) {
        k = "tool_" moments[step] "_rss_kb"
        row("zentrik-tool VmRSS " names[moments[step]], sprintf("%.1f MB", v[k] / 1024),
            sprintf("%.1f MB ltijs", r[k] / 1024), sprintf("%.2fx", v[k] / r[k]), "<= 30 MB",
            v[k] <= 30 * 1024 ? "OK" : "MISS", k)
    }
    k = "tool_class_hwm_kb"
    row("zentrik-tool VmHWM after the class", sprintf("%.1f MB", v[k] / 1024), sprintf("%.1f MB ltijs", r[k] / 1024),
        sprintf("%.2fx", v[k] / r[k]), "none", "info", k)
}
END {
    printf "%-42s %12s %16s %8s %-22s %-4s %s\n", "figure", "value", "reference", "ratio", "target", "", "samples"
    if (part != "tool")
        game_rows()
    tool_rows()
    exit missed
}
