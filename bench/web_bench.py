"""The page's figures in headless Chromium, Firefox and WebKit, each beside
its reference measured in the same run and engine; prints "key value
reference" lines for run.sh, and "samples key count count" for the number of
samples behind each median and 99th percentile.

    web_bench.py SITE_FOLDER SINGLE_FILE [LOADS [MOVES [SOAK_EVENTS [LIGHTHOUSE_RUNS]]]]

transfer: the bytes of a first visit as a static server sends them gzipped,
against the 120 KB budget. single file: SINGLE_FILE's size (make web's zentrik.html), raw and
gzipped, against the 300 KB budget. course packages: each package's files
unpacked and its zip, beside the served folder's own bytes (no compressed
copies). first frame: navigation start to the animation
frame in which the whole board is on screen (the game's own mark,
zentrik-first-frame, in the frame after the first board that index.html
holds is shown, its pictures decoded, or after the program's own board
shows, whichever comes first), beside a bare page with one
1006 x 743 picture marked the same way after the picture's decode(); median
of LOADS loads of each, every load a first visit from a server on an origin
of its own. first frame from the disk: the same for the single file beside the
bare page made one file (its picture inside it), both opened by file://
addresses, every load from a folder of its own. first frame in a course:
the SCORM 1.2 package in a learning platform's player, from the player's
navigation start, beside the served page. JavaScript shape: its size, and
the first frame and pointer to frame of the page served with its policy as a
browser older than 'wasm-unsafe-eval' reads it, which plays the shape,
beside the bare page. pointer to frame: from a pad move's input to the animation frame
after its handler, median and 99th percentile of MOVES moves, beside a bare
page that moves a 50 x 50 block. Lighthouse: its mobile figures, median of
LIGHTHOUSE_RUNS runs on each page. soak: random pointer events on the pad and
taps on the blocks; console errors, the WebAssembly memory and the
JavaScript heap.
"""

import base64
import gzip
import json
import os
import pathlib
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser import Server, launch, pointer_actions  # noqa: E402
from chromium import Chromium  # noqa: E402
from oldbrowsers import old_policy_copy  # noqa: E402
from playthrough import shape_of  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SCENE = (1006, 743)
STARTED = "document.getElementById('Form1')?.getAttribute('aria-busy') === 'false'"


def Browser(width, height):
    return Chromium(width, height)


def mouse(browser, kind, x, y, buttons=1, wait=True):
    """One mouse event, answered before the next (wait) or sent on at once."""
    (browser.call if wait else browser.send)(
        "Input.dispatchMouseEvent", type=kind, x=x, y=y,
        button="left" if kind != "mouseMoved" or buttons else "none",
        buttons=buttons, clickCount=1 if kind != "mouseMoved" else 0)


def touch(browser, kind, points, wait=True):
    (browser.call if wait else browser.send)(
        "Input.dispatchTouchEvent", type=kind,
        touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])


def say(text):
    print(text, file=sys.stderr, flush=True)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def transfer(site):
    """Every file a first visit fetches (the service worker's too), gzipped."""
    with Server(site) as server, Browser(1024, 768) as browser:
        browser.open(server.url)
        browser.wait_for(STARTED)
        browser.evaluate("navigator.serviceWorker.ready.then(() => true)")
        sent = [path.split("?")[0].lstrip("/") or "index.html" for path, status in server.answered if status == 200]
    total = 0
    for path in sent:
        with open(os.path.join(site, path), "rb") as file:
            total += len(gzip.compress(file.read(), 9))
    say("transfer: %d files, %d bytes gzipped: %s" % (len(sent), total, " ".join(sorted(sent))))
    return total


GAME_FRAME = "zentrik-first-frame"
BARE_FRAME = "bare-first-frame"


def frame_mark(browser, url, name):
    """Navigation start to the frame that shows the whole picture: each page
    marks, with performance.mark, the animation frame after its picture is
    decoded (the bare page) or its board's last paint (the game)."""
    browser.open(url)
    entry = "performance.getEntriesByName('%s')[0]" % name
    browser.wait_for("!!" + entry)
    return browser.evaluate(entry + ".startTime")


class Origins:
    """A server of its own, on a port not used before in this run, for every
    load: every load is a first visit from the server in every engine, with
    nothing in the browser's cache nor a service worker for that origin."""

    def __init__(self):
        self.used = set()

    def serve(self, folder):
        while True:
            server = Server(folder)
            if server.url not in self.used:
                self.used.add(server.url)
                return server
            server.close()


def first_frame(site, bare, loads, engine="chromium"):
    """Both pages from the server, the game and the bare page in turn."""
    game, reference = [], []
    origins = Origins()
    with launch(engine, 1024, 768) as browser:
        for _ in range(loads):
            with origins.serve(site) as server:
                game.append(frame_mark(browser, server.url, GAME_FRAME))
            with origins.serve(bare) as server:
                reference.append(frame_mark(browser, server.url + "bare-picture.html", BARE_FRAME))
    say("first frame in %s: game %s ms, bare %s ms" % (
        engine, [round(t, 1) for t in game], [round(t, 1) for t in reference]))
    return game, reference


def bare_single_file(bare):
    """The reference of the single file: the bare page as one file, its
    style sheet and its picture inside it."""
    with open(os.path.join(bare, "bare-picture.html")) as file:
        page = file.read()
    with open(os.path.join(bare, "bare.css")) as file:
        page = page.replace('<link rel="stylesheet" href="bare.css">', "<style>%s</style>" % file.read())
    with open(os.path.join(bare, "scene.png"), "rb") as file:
        picture = "data:image/png;base64," + base64.b64encode(file.read()).decode()
    path = os.path.join(bare, "bare-single.html")
    with open(path, "w") as file:
        file.write(page.replace('src="scene.png"', 'src="%s"' % picture))
    return path


def first_frame_from_disk(single, bare, loads, engine):
    """The single file and the bare single file opened from the disk, in
    turn, each load from a folder of its own, as a file copied anew."""
    pages = {"game": single, "bare": bare_single_file(bare)}
    frames = {"game": [], "bare": []}
    with tempfile.TemporaryDirectory(prefix="zentrik-disk-") as disk, launch(engine, 1024, 768) as browser:
        for load in range(loads):
            for page, mark in (("game", GAME_FRAME), ("bare", BARE_FRAME)):
                folder = os.path.join(disk, "%s-%d" % (page, load))
                os.mkdir(folder)
                copy = shutil.copy(pages[page], folder)
                frames[page].append(frame_mark(browser, pathlib.Path(copy).as_uri(), mark))
    say("first frame from the disk in %s: game %s ms, bare %s ms" % (
        engine, [round(t, 1) for t in frames["game"]], [round(t, 1) for t in frames["bare"]]))
    return frames["game"], frames["bare"]


# A learning platform's player as the tests' own: the pinned SCORM runtime
# as the page's API (minified, as platforms serve theirs), the package's game
# in a frame of the whole viewport.
RUNTIME = os.path.join(HERE, "..", "tools", "scorm", "node_modules", "scorm-again", "dist", "scorm12.min.js")
PLAYER = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>player</title></head>
<body style="margin: 0"><iframe src="package/index.html" style="display: block; width: 100%; height: 100vh; border: 0">
</iframe><script src="scorm12.min.js"></script><script>window.API = new Scorm12API({logLevel: 5});</script></body></html>
"""


def first_frame_in_course(site, package, loads, engine):
    """The SCORM 1.2 package in the player, from the player's navigation
    start to the game's first frame in its frame, beside the served page,
    in turn, every load from an origin of its own."""
    game, served = [], []
    origins = Origins()
    with tempfile.TemporaryDirectory(prefix="zentrik-course-") as course, launch(engine, 1024, 768) as browser:
        with zipfile.ZipFile(package) as archive:
            archive.extractall(os.path.join(course, "package"))
        shutil.copy(RUNTIME, course)
        with open(os.path.join(course, "player.html"), "w") as file:
            file.write(PLAYER)
        entry = "performance.getEntriesByName('%s')[0]" % GAME_FRAME
        for _ in range(loads):
            with origins.serve(course) as server:
                browser.open(server.url + "player.html")
                browser.frame(0)
                browser.wait_for("!!" + entry)
                game.append(browser.evaluate("performance.timeOrigin + %s.startTime - parent.performance.timeOrigin"
                                             % entry))
                browser.frame(None)
            with origins.serve(site) as server:
                served.append(frame_mark(browser, server.url, GAME_FRAME))
    say("first frame in a course player in %s: game %s ms, served %s ms" % (
        engine, [round(t, 1) for t in game], [round(t, 1) for t in served]))
    return game, served


# Both pages of a drag's measure are served cross-origin isolated: WebKit's
# clock counts whole milliseconds otherwise (20 us isolated), and against the
# bare page's 7 ms a median of whole milliseconds moves in steps of a seventh.
ISOLATED = {"Cross-Origin-Opener-Policy": "same-origin", "Cross-Origin-Embedder-Policy": "require-corp"}

MEASURE = """(() => {
    window.latencies = [];
    document.getElementById('%s').addEventListener('pointermove', event => {
        const input = event.timeStamp;
        requestAnimationFrame(() => latencies.push(performance.now() - input));
    });
})()"""


def swept(browser, pad, moves, rng):
    """Presses on the pad and sweeps back and forth as one action, a few
    moves a frame, each after a pause of 0 to 4 ms, so at a random moment
    within its frame, as a quick hand's moves come: the other engines'
    drivers send no single moves. Sent back to back, a sweep's moves kept
    one moment of the frame, and WebKit's medians of a sweep went from 6 to
    11 ms with the moment each happened to keep, the bare page's as much as
    the game's."""
    x, y = pad
    path = [(x + 10 - abs(move % 40 - 20), y + 10 - abs(move % 40 - 20)) for move in range(moves + 1)]
    browser.perform(pointer_actions("mouse", path, [rng.randrange(5) for _ in range(moves)]))
    browser.evaluate("new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))")
    return browser.evaluate("latencies")


def swept_pointer_to_frame(site, bare, count, engine):
    """Both pages in one browser, each page's moves in two sweeps of half,
    in the order game, bare, bare, game: a browser's first sweeps run slower
    than its later ones, and neither page is measured only fresh or only warm."""
    game, reference = [], []
    rng = random.Random(1)
    with Server(site, headers=ISOLATED) as server, Server(bare, headers=ISOLATED) as bare_server, \
            launch(engine, 1024, 768) as browser:
        for page in ("game", "bare", "bare", "game"):
            if page == "game":
                browser.open(server.url)
                browser.wait_for(STARTED)
                left, top = browser.evaluate(
                    "(r => [r.left, r.top])(document.getElementById('Form1').getBoundingClientRect())")
                browser.evaluate(MEASURE % "Picture1")
                browser.mouse([(left + 589, top + 559)])
                game += swept(browser, (left + 800, top + 570), count // 2, rng)
            else:
                browser.open(bare_server.url + "bare-drag.html")
                browser.wait_for("document.readyState === 'complete'")
                browser.evaluate(MEASURE % "pad")
                reference += swept(browser, (800, 570), count // 2, rng)
    say("pointer to frame in %s: %d and %d moves" % (engine, len(game), len(reference)))
    return game, reference


def moves(browser, pad, moves):
    """Holds the button on the pad and moves back and forth, each move a
    frame after the last and at a random moment within the frame, as a hand's
    moves come."""
    x, y = pad
    rng = random.Random(1)
    mouse(browser, "mousePressed", x, y)
    for move in range(moves):
        offset = 10 - abs(move % 40 - 20)
        browser.evaluate("new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))")
        time.sleep(rng.uniform(0, 1 / 60))
        mouse(browser, "mouseMoved", x + offset, y + offset)
    browser.evaluate("new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))")
    mouse(browser, "mouseReleased", x, y, buttons=0)
    return browser.evaluate("latencies")


def pointer_to_frame(site, bare, count):
    with Server(site, headers=ISOLATED) as server, Server(bare, headers=ISOLATED) as bare_server, \
            Browser(1024, 768) as browser:
        browser.open(server.url)
        browser.wait_for(STARTED)
        left, top = browser.evaluate("(r => [r.left, r.top])(document.getElementById('Form1').getBoundingClientRect())")
        browser.evaluate(MEASURE % "Picture1")
        # Block 5, selected, moves about its home, far from letter A's slots.
        mouse(browser, "mousePressed", left + 589, top + 559)
        mouse(browser, "mouseReleased", left + 589, top + 559, buttons=0)
        game = moves(browser, (left + 800, top + 570), count)
        browser.open(bare_server.url + "bare-drag.html")
        browser.wait_for("document.readyState === 'complete'")
        browser.evaluate(MEASURE % "pad")
        reference = moves(browser, (800, 570), count)
    say("pointer to frame: %d moves of each" % len(game))
    return game, reference


def soak(site, events, seed):
    rng = random.Random(seed)
    with Server(site) as server, Browser(1024, 768) as browser:
        browser.open(server.url)
        browser.wait_for(STARTED)
        left, top = browser.evaluate("(r => [r.left, r.top])(document.getElementById('Form1').getBoundingClientRect())")
        blocks = [(left + x + 25, top + 559) for x in (110, 201, 292, 382, 473, 564)]
        pad = (left + 676, top + 484, 244, 180)
        held = None
        memory = {}

        def measure():
            browser.call("HeapProfiler.collectGarbage")
            # The compiled game's memory, which its script keeps as HEAP8.
            size = browser.evaluate("typeof HEAP8 === 'object' ? HEAP8.buffer.byteLength : location.href")
            if not isinstance(size, int):
                said = [event for event in browser.events
                        if event.get("method") in ("Page.frameNavigated", "Inspector.targetCrashed", "Page.javascriptDialogOpening")]
                raise RuntimeError("the game is gone from the page: %s %s" % (size, json.dumps(said)[:2000]))
            return size, browser.call("Runtime.getHeapUsage")["usedSize"]

        # Sent a thousand at a time without waiting for each: the browser
        # takes them in order, as fast as it can.
        for event in range(events):
            if event % 1000 == 0:
                browser.drain()
            if event == 1000:
                memory["start"] = measure()
            roll = rng.random()
            if held is None and roll < 0.2:
                x, y = rng.choice(blocks)
                mouse(browser, "mousePressed", x, y, wait=False)
                mouse(browser, "mouseReleased", x, y, buttons=0, wait=False)
            elif held is None and roll < 0.5:
                held = rng.choice(["mouse", "touch"])
                point = (pad[0] + rng.uniform(0, pad[2]), pad[1] + rng.uniform(0, pad[3]))
                if held == "mouse":
                    mouse(browser, "mousePressed", *point, wait=False)
                else:
                    touch(browser, "touchStart", [point], wait=False)
            elif held is not None and roll < 0.1:
                if held == "mouse":
                    mouse(browser, "mouseReleased", pad[0], pad[1], buttons=0, wait=False)
                else:
                    touch(browser, "touchCancel" if roll < 0.05 else "touchEnd", [], wait=False)
                held = None
            else:
                # Anywhere on the screen, on the pad or far off it.
                point = (rng.uniform(0, 1024), rng.uniform(0, 768)) if roll < 0.6 else \
                    (pad[0] + rng.uniform(0, pad[2]), pad[1] + rng.uniform(0, pad[3]))
                if held == "touch":
                    touch(browser, "touchMove", [point], wait=False)
                else:
                    mouse(browser, "mouseMoved", *point, buttons=1 if held else 0, wait=False)
        browser.drain()
        if held == "mouse":
            mouse(browser, "mouseReleased", pad[0], pad[1], buttons=0)
        elif held == "touch":
            touch(browser, "touchEnd", [])
        memory["end"] = measure()
        # Still answering: a block clicked twice is selected, then not red.
        errors = browser.errors()
        answers = browser.evaluate("!!document.getElementById('Piece0')")
    say("soak: %d events, %d errors%s" % (events, len(errors), "".join("\n  " + e for e in errors[:5])))
    return errors, answers, memory


LIGHTHOUSE = os.path.join(HERE, "..", "tools", "lighthouse", "node_modules", ".bin", "lighthouse")


def lighthouse(url):
    """Lighthouse's mobile figures for the page at url (its default settings:
    a mid-range phone, 4x slower CPU and a slow 4G network, simulated). Says
    which of the page's tasks it counted as long, and after which of the
    page's marks each came."""
    with tempfile.TemporaryDirectory(prefix="zentrik-lighthouse-") as folder:
        report = os.path.join(folder, "report.json")
        # Lighthouse's own Node process reads the browser's events as the page
        # starts, on the same two cores. It runs in a session of its own, the
        # kernel's scheduling group of its own, set to yield (nice 19); the
        # browser it starts makes a session and a group of its own at the
        # usual priority. On a phone, the measuring is not on the device.
        subprocess.run(["sh", "-c", 'echo 19 >/proc/self/autogroup 2>/dev/null; exec "$@"', "lighthouse",
                        LIGHTHOUSE, url, "--only-categories=performance", "--output=json",
                        "--output-path=" + report, "--quiet", "--save-assets",
                        "--chrome-flags=--headless=new --no-sandbox"],
                       check=True, start_new_session=True, env=dict(os.environ, CHROME_PATH=shutil.which("chromium")))
        with open(report) as file:
            result = json.load(file)
        long_tasks = subprocess.run(["node", os.path.join(HERE, "lighthouse-tasks.mjs"),
                                     os.path.join(folder, "report-0.trace.json")],
                                    check=True, capture_output=True, text=True).stdout
        # The page's own time on a core in its longest task, counted as
        # Lighthouse counts the task (0 where no own task reached 50 ms).
        on_core = 0
        for line in long_tasks.splitlines():
            say("lighthouse long task: " + line)
            on_core = max(on_core, float(re.search(r", (\d+) counted\)", line)[1]))
    audits = result["audits"]
    # The page's own tasks over 50 ms, as Lighthouse lists them in its
    # simulated time (0 where there is none); the browser's own work, which
    # it cannot attribute to the page, is left out: a bare page has it too;
    # and so are the scripts Lighthouse itself runs in the page.
    longest = max([item["duration"] for item in audits["long-tasks"]["details"]["items"]
                   if item["url"] not in ("Unattributable", "_lighthouse-eval.js")], default=0)
    return {"performance": result["categories"]["performance"]["score"] * 100,
            "tbt_ms": audits["total-blocking-time"]["numericValue"],
            "longest_task_ms": longest,
            "longest_task_on_core_ms": on_core,
            "lcp_ms": audits["largest-contentful-paint"]["numericValue"]}


def lighthouse_figures(site, bare, runs):
    """The median of each figure over runs of each page, in turn, each from a
    static server of its own."""
    game, reference = [], []
    for _ in range(runs):
        with Server(site, compressed=True) as server:
            game.append(lighthouse(server.url))
        with Server(bare, compressed=True) as server:
            reference.append(lighthouse(server.url + "bare-picture.html"))
    for name in game[0]:
        say("lighthouse %s: game %s, bare %s" % (
            name, [round(run[name]) for run in game], [round(run[name]) for run in reference]))
    return {name: (statistics.median(run[name] for run in game), statistics.median(run[name] for run in reference))
            for name in game[0]}


def again_once(measure, *arguments):
    """WebKit's driver now and then fails to read a script's result back: such
    a figure is measured once more, in a new browser, before the bench gives up."""
    try:
        return measure(*arguments)
    except RuntimeError as error:
        say("measured again after: %s" % error)
        return measure(*arguments)


def medians(key, game, reference):
    """The line of a figure's medians, and of its samples."""
    print("%s %.1f %.1f" % (key, statistics.median(game), statistics.median(reference)))
    print("samples %s %d %d" % (key, len(game), len(reference)))


def pointer_figures(key, site, bare, count, engine):
    """Pointer to frame in `engine`: Chromium's single moves, the others'
    sweeps, whose drivers send no single moves; median and 99th percentile."""
    if engine == "chromium":
        game, reference = pointer_to_frame(site, bare, count)
    else:
        game, reference = again_once(swept_pointer_to_frame, site, bare, count, engine)
    print("%s_median_ms %.2f %.2f" % (key, statistics.median(game), statistics.median(reference)))
    print("%s_p99_ms %.2f %.2f" % (key, percentile(game, 0.99), percentile(reference, 0.99)))
    for figure in ("median", "p99"):
        print("samples %s_%s_ms %d %d" % (key, figure, len(game), len(reference)))


def main():
    site, single = sys.argv[1:3]
    loads = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 500
    events = int(sys.argv[5]) if len(sys.argv) > 5 else 100000
    lighthouse_runs = int(sys.argv[6]) if len(sys.argv) > 6 else 3
    bare = tempfile.mkdtemp(prefix="zentrik-bare-")
    try:
        for name in ("bare-drag.html", "bare-drag.js", "bare-picture.html", "bare.css"):
            shutil.copy(os.path.join(HERE, "web", name), bare)
        # The bare page's one picture is the game's own scene, as a screenshot.
        with Server(site) as server, Browser(1024, 768) as browser:
            browser.open(server.url)
            browser.wait_for(STARTED)
            left, top = browser.evaluate(
                "(r => [r.left, r.top])(document.getElementById('Form1').getBoundingClientRect())")
            browser.screenshot().crop((int(left), int(top), int(left) + SCENE[0], int(top) + SCENE[1])).save(
                os.path.join(bare, "scene.png"))

        print("web_transfer_kb %.1f 120" % (transfer(site) / 1000))
        with open(single, "rb") as file:
            held = file.read()
        print("web_single_file_kb %.1f 300" % (len(held) / 1000))
        print("web_single_file_gzip_kb %.1f 300" % (len(gzip.compress(held, 9)) / 1000))
        # Each course package, unpacked and zipped, beside the served folder's
        # own files (without the compressed copies, which no package holds).
        own = sum(os.path.getsize(os.path.join(root, name)) for root, _, names in os.walk(site)
                  for name in names if not name.endswith((".gz", ".br")))
        for standard in ("scorm12", "scorm2004"):
            package = os.path.join(os.path.dirname(single), "zentrik-%s.zip" % standard)
            with zipfile.ZipFile(package) as archive:
                unpacked = sum(member.file_size for member in archive.infolist())
            print("web_%s_kb %.1f %.1f" % (standard, unpacked / 1000, own / 1000))
            print("web_%s_zip_kb %.1f %.1f" % (standard, os.path.getsize(package) / 1000, own / 1000))

        # The program's JavaScript shape, in a copy of the page whose policy
        # is as an older browser reads it, which refuses every compile.
        old = old_policy_copy(site, os.path.join(bare, "old-policy"))
        with open(os.path.join(site, shape_of(site)), "rb") as file:
            shape = file.read()
        print("web_js_shape_kb %.1f %.1f" % (len(shape) / 1000, len(shape) / 1000))
        print("web_js_shape_gzip_kb %.1f %.1f" % (len(gzip.compress(shape, 9)) / 1000, len(shape) / 1000))

        for engine in ("chromium", "firefox", "webkit"):
            key = "web_%s_" % engine
            medians(key + "js_first_frame_ms", *again_once(first_frame, old, bare, loads, engine))
            pointer_figures(key + "js_input", old, bare, count, engine)
            medians(key + "first_frame_ms", *again_once(first_frame, site, bare, loads, engine))
            medians(key + "disk_first_frame_ms", *again_once(first_frame_from_disk, single, bare, loads, engine))
            package = os.path.join(os.path.dirname(single), "zentrik-scorm12.zip")
            medians(key + "course_first_frame_ms", *again_once(first_frame_in_course, site, package, loads, engine))
            pointer_figures(key + "input", site, bare, count, engine)
        for name, (game, reference) in lighthouse_figures(site, bare, lighthouse_runs).items():
            print("web_lighthouse_%s %.1f %.1f" % (name, game, reference))
            print("samples web_lighthouse_%s %d %d" % (name, lighthouse_runs, lighthouse_runs))
        errors, answers, memory = soak(site, events, 1)
        print("web_soak_events %d %d" % (events, len(errors) + (0 if answers else 1)))
        print("web_soak_wasm_mb %.2f %.2f" % (memory["end"][0] / 1e6, memory["start"][0] / 1e6))
        print("web_soak_heap_mb %.2f %.2f" % (memory["end"][1] / 1e6, memory["start"][1] / 1e6))
    finally:
        shutil.rmtree(bare, ignore_errors=True)


if __name__ == "__main__":
    main()
