"""The page played in one browser engine through real input events, checked
on that browser's own screenshots.

    playthrough.py ENGINE VARIANT SITE_FOLDER WEB_PLAN

ENGINE is chromium, firefox or webkit (browser.py and a driver each). The
SingleFile variants take the page as one file (zentrik.html) in place of
SITE_FOLDER.

WEB_PLAN plays the same game through the handlers and prints every step (a
click on a block, a drag on the pad, in the scene's pixels) and what each
letter must leave on the screen; this script sends the steps to the page as
mouse or touch input and compares the screenshots' pixels.
"""

import base64
import hashlib
import json
import math
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import urllib.error
import urllib.parse
import urllib.request

from PIL import Image, ImageChops

from browser import (DESKTOP_ENGINES, ENGINES, REPEATED, SCHOOL_HEADERS, Apache, Nginx, PageServer, Server, launch,
                     readable_copy, wait_until)

SCENE = (1006, 743)
# A learning platform's course page with the game in a frame, as a teacher
# would put it there: below a heading, with a border, sandboxed as narrowly
# as the game allows.
COURSE = """<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8"><title>もじの べんきょう</title>
<style>body { margin: 0; font: 16px sans-serif; } h1 { margin: 0; padding: 20px 100px; font-size: 24px; }
iframe { position: absolute; left: 100px; top: 80px; width: 1024px; height: 768px; border: 1px solid #888; }</style>
</head><body><h1>アルファベット</h1>
<iframe src="%s" allow="fullscreen" sandbox="allow-scripts allow-same-origin" title="Zentrik"></iframe></body></html>
"""
# The first board as the page's markup (%s) holds it, shown over the
# program's board, which is hidden: what the page shows before the program
# runs.
FIRST_BOARD = """(async () => {
    const page = new DOMParser().parseFromString(%s, 'text/html');
    const board = document.adoptNode(page.getElementById('first-board'));
    document.getElementById('stage').style.visibility = 'hidden';
    document.body.appendChild(board);
    await board.querySelector('img').decode();
    board.className = 'shown';
    return true;
})()"""
# The SHA-256 of the board at scale 1 as the start-up leaves it, its labels
# painted black: the same pictures in every engine, the program's board and
# the first board alike.
BOARD_DIGEST = "65342c6cdc0e913de49c1433df2d5044ceefd7b7945d6f78dbbf2f270b0dd9fe"
# What a server may answer in place of a picture file: nothing, an error page,
# an empty file, a file far too large.
BROKEN = {
    "c_down2b.gif": ((404, b""), "the server answered 404"),
    "c_up2b.gif": ((200, b"<!DOCTYPE html><title>Not here</title>"), "not a GIF file"),
    "upright2b.gif": ((200, b""), "file is empty"),
    "horz2b.gif": ((200, bytes(20 << 20)), "sent more than 16 MiB"),
}

# Behind a real server, what each of the page's files comes with: its type,
# a compressed transfer where it is text or WebAssembly, and the browser
# keeping it a year where its name is its content, else asking each time.
TYPES = {".html": ("text/html",), ".js": ("text/javascript", "application/javascript"), ".css": ("text/css",),
         ".wasm": ("application/wasm",), ".webmanifest": ("application/manifest+json",), ".gif": ("image/gif",),
         ".png": ("image/png",)}
COMPRESSED = {".html", ".js", ".css", ".wasm", ".webmanifest"}
NAMED = re.compile(r"\bzentrik\.[0-9a-f]{16}\.(js|wasm|css)$")
KEPT = "public, max-age=31536000, immutable"
# Lighthouse, pinned in tools/lighthouse (make lighthouse), and the audits of
# what the servers' settings give.
LIGHTHOUSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "lighthouse",
                          "node_modules", ".bin", "lighthouse")
AUDITS = ("uses-text-compression", "uses-long-cache-ttl")


# What CTest counts as skipped (SKIP_RETURN_CODE).
SKIPPED = 77


def fail(message):
    sys.exit("FAIL: " + message)


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIPPED)


def check(condition, message):
    if not condition:
        fail(message)


class Game:
    """The page in one browser, with the scene's place and scale on it."""

    def __init__(self, browser, url, framed=False):
        self.browser = browser
        browser.open(url)
        # Framed, the page at url holds the game in its first frame: the scene
        # stands at the frame's content box plus its place in the frame.
        self.frame = [0, 0]
        if framed:
            self.frame = browser.evaluate("(f => (r => [r.left + f.clientLeft, r.top + f.clientTop])"
                                          "(f.getBoundingClientRect()))(document.querySelector('iframe'))")
            browser.frame(0)
        # The board shows at once; the game takes input once its picture files are here.
        browser.wait_for("document.getElementById('Form1')?.getAttribute('aria-busy') === 'false'",
                         "the game ready for input")
        left, top, width, height, view_width, view_height = browser.evaluate(
            "(r => [r.left, r.top, r.width, r.height, document.documentElement.clientWidth,"
            " document.documentElement.clientHeight])(document.getElementById('Form1').getBoundingClientRect())")
        self.left, self.top = self.frame[0] + left, self.frame[1] + top
        # The largest whole scale the viewport holds, below 1 only where the
        # scene does not fit at 1.
        fit = min(view_width / SCENE[0], view_height / SCENE[1])
        self.scale = math.floor(fit) if fit >= 1 else fit
        check(abs(width - SCENE[0] * self.scale) < 0.1 and abs(height - SCENE[1] * self.scale) < 0.1,
              "the scene at scale %s in a %s x %s viewport: %s x %s" % (
                  self.scale, view_width, view_height, width, height))

    def check_console(self, expected=()):
        """The page said nothing in its console but what is `expected`, each of it."""
        errors = self.browser.errors()
        unexpected = [error for error in errors if not any(text in error for text in expected)]
        check(not unexpected, "the page said:\n" + "\n".join(unexpected))
        for text in expected:
            check(any(text in error for error in errors), "the page did not say %r" % text)

    def at(self, point):
        return self.left + self.scale * point[0], self.top + self.scale * point[1]

    def step(self, step, touch=False):
        # A click is a press and a release at one point.
        path = [self.at(point) for point in step["drag"]] if "drag" in step else [self.at(step["click"])]
        (self.browser.touch if touch else self.browser.mouse)(path)

    def pixel(self, shot, point):
        x, y = self.at(point)
        return "%02x%02x%02x" % shot.getpixel((int(x), int(y)))

    def check_letter(self, letter):
        shot = self.shot()
        for expectation in letter["expect"]:
            seen = self.pixel(shot, expectation["at"])
            check(seen == expectation["rgb"], "after %s, %s shows %s, not %s" % (
                letter["letter"], expectation["what"], seen, expectation["rgb"]))

    def shot(self):
        """A screenshot once the slots and the blocks show their last pictures."""
        self.browser.wait_for("!document.querySelector('#Form1 > [data-drawing]')",
                              "the slots and blocks done drawing")
        return self.browser.screenshot()

    def check_first_board(self, page):
        """The board the markup `page` shows before the program runs is the
        program's, pixel for pixel; text may be drawn a shade apart. Returns
        the first board's screenshot."""
        board = self.shot()
        with open(page, encoding="utf-8") as markup:
            self.browser.evaluate(FIRST_BOARD % json.dumps(markup.read()))
        first = self.browser.screenshot()
        self.browser.evaluate("(document.getElementById('first-board').remove(),"
                              " document.getElementById('stage').style.visibility = '', true)")
        worst = max(high for _, high in ImageChops.difference(board, first).getextrema())
        check(worst <= 2, "the first board differs from the program's by up to %d at scale %s" % (
            worst, self.scale))
        return first

    def message(self):
        return self.browser.evaluate(
            "(d => d.open ? d.querySelector('p').textContent : null)(document.getElementById('message'))")

    def play(self, letters, touch_letters=(), on_failure=None):
        for letter in letters:
            for step in letter["steps"]:
                self.step(step, touch=letter["letter"] in touch_letters)
                if step.get("fails") and on_failure:
                    on_failure(step["fails"])
            self.check_letter(letter)


def framed_letter(engine, site, plan_program):
    """A course page on another origin holds the page in a frame. The board
    stands whole in the frame at its scale, as in a viewport of the frame's
    size, and letter A plays by mouse and touch: each drag leaves the frame
    and comes back, and is let go outside it once its block has dropped,
    the block passing its slot and leaving it within a frame in WebKit: each
    move must reach the rules, not only a frame's last; the picture that
    fails is told inside the frame. Made smaller, the frame still shows the
    whole board."""
    # One picture answered with a page, as a platform answers for a session
    # that ran out; a 404 would keep the service worker from installing.
    broken = "c_down2b.gif"
    letter = plan(plan_program, broken)["letters"][0]
    answers = {"pictures/" + broken: BROKEN["c_up2b.gif"][0]}
    with tempfile.TemporaryDirectory() as course, PageServer(site, answers) as server:
        with open(os.path.join(course, "index.html"), "w") as page:
            page.write(COURSE % server.url)
        with Server(course) as platform, launch(engine, 1280, 900) as browser:
            check(platform.url != server.url, "the course comes from another origin")
            game = Game(browser, platform.url, framed=True)
            frame = browser.evaluate("[innerWidth, innerHeight]")
            check(frame == [1024, 768] and game.scale == 1, "scale 1 in a 1024 x 768 frame, not %s" % game.scale)
            centred = ((frame[0] - SCENE[0]) // 2, (frame[1] - SCENE[1]) // 2)
            check((game.left - game.frame[0], game.top - game.frame[1]) == centred, "the scene centred in the frame")
            counts = {"click": 0, "drag": 0}
            for step in letter["steps"]:
                kind = "drag" if "drag" in step else "click"
                # Drags by touch, mouse, touch; clicks by mouse, touch, ...
                touch = (counts[kind] % 2 == 0) == (kind == "drag")
                counts[kind] += 1
                if kind == "drag":
                    start = step["drag"][0]
                    outside = (start[0] + 120, start[1])
                    x = game.at(outside)[0] - game.frame[0]
                    check(x > frame[0], "the finger leaves the frame: %s" % x)
                    step = {"drag": [start, outside] + step["drag"] + [outside]}
                game.step(step, touch)
                if step.get("fails"):
                    text = game.message()
                    check(text and server.url + "pictures/" + step["fails"] in text,
                          "the frame names the picture's address: %r" % text)
                    # Headless Firefox gives no frame the keyboard: a child's tap on OK.
                    button = browser.evaluate("(r => [r.left + r.width / 2, r.top + r.height / 2])"
                                              "(document.querySelector('#message button').getBoundingClientRect())")
                    browser.touch([(game.frame[0] + button[0], game.frame[1] + button[1])])
                    check(game.message() is None, "OK closes the message in the frame")
            game.check_letter(letter)
            # The frame is no obstacle to keeping the page on the device.
            browser.wait_for("navigator.serviceWorker.getRegistration().then(r => !!r && !!r.active)")
            game.check_console()
            elsewhere = [url for url in browser.requested()
                         if not url.startswith((server.url, platform.url, "data:"))]
            check(not elsewhere, "the framed page asked elsewhere: %s" % elsewhere)
            browser.frame(None)
            browser.evaluate("(s => { s.width = '800px'; s.height = '600px'; })"
                             "(document.querySelector('iframe').style)")
            browser.frame(0)
            browser.wait_for("document.getElementById('Form1').getBoundingClientRect().width < %d" % SCENE[0])
            box = browser.evaluate("(r => [r.left, r.top, r.right, r.bottom])"
                                   "(document.getElementById('Form1').getBoundingClientRect())")
            check(box[0] >= 0 and box[1] >= 0 and box[2] <= 800 and box[3] <= 600 and box[2] - box[0] >= 799,
                  "the whole board in an 800 x 600 frame: %s" % box)


def plan(plan_program, *missing):
    # The plan takes a fraction of a second; a game it cannot finish takes
    # memory fast, and is given little time.
    return json.loads(subprocess.run([plan_program, *missing], check=True, capture_output=True,
                                     text=True, timeout=10).stdout)


def whole_game(engine, site, plan_program):
    """A to Z with no network, the first letter by touch and the rest by
    mouse, then the end; the page asks for nothing from anywhere else; and
    offline still, a letter at the page's address by its file, index.html."""
    steps = plan(plan_program)
    # Offline, the page has no script of the test's own first: what it says
    # is heard from its load on.
    with Server(site) as server, launch(engine, 1024, 768) as browser:
        Game(browser, server.url)
        timed = browser.evaluate("performance.getEntriesByType('resource').map(e => e.name)")
        check(not [url for url in timed if url.endswith(".js") and "/zentrik." in url][1:],
              "a browser that runs WebAssembly asked for the JavaScript shape too: %s" % timed)
        # The first visit keeps every file on the device; then the server
        # goes, and every engine finds the network as a child offline does.
        browser.evaluate("navigator.serviceWorker.ready.then(() => true)")
        server.close()
        game = Game(browser, server.url)
        check(browser.evaluate("!!navigator.serviceWorker.controller"), "the page comes from the device")
        check(game.scale == 1, "scale 1 at 1024 x 768, not %s" % game.scale)
        game.play(steps["letters"], touch_letters="A")
        captions = browser.evaluate("['Label1', 'lblPicFile'].map(id => document.getElementById(id).textContent)")
        check(captions == steps["finished"], "the closing lines: %s" % captions)
        check(game.message() is None, "no message in a game with every picture")
        game.check_console()
        # A data: address (the slots' and blocks' pictures, Firefox's own copy
        # of the page's icon) asks no one.
        requested = browser.requested()
        check(any(url.endswith(".wasm") for url in requested), "the driver sees the page's requests")
        elsewhere = [url for url in requested if not url.startswith((server.url, "data:"))]
        check(not elsewhere, "the page asked elsewhere: %s" % elsewhere)
        # A bookmark may name the page by its file: offline, it plays too.
        Game(browser, server.url + "index.html").play(steps["letters"][:1])


def broken_pictures_or_no_webassembly(engine, site, plan_program):
    """A page with none of its pictures says so at once, naming the folder's
    address, on a board shown without its background's tile. Picture files the server lacks or answers with something else
    are each said when a turn needs them, closed with Enter, and play goes
    on, also when the page's timers come late. A browser without WebAssembly
    plays the program's JavaScript shape; without that too, it is told what
    to do."""
    steps = plan(plan_program, *BROKEN)
    missing = {"pictures/" + name: (404, b"") for name in os.listdir(os.path.join(site, "pictures"))}
    missing["background.png"] = (404, b"")
    with PageServer(site, missing) as server, launch(engine, 1024, 768) as browser:
        game = Game(browser, server.url)
        browser.wait_for("document.getElementById('message').open")
        text = game.message()
        check(server.url + "pictures/" in text, "the message names the folder's address: %r" % text)
        game.check_console(expected=["background.png could not be read"])

    failures = set()
    answers = {"pictures/" + name: answer for name, (answer, _) in BROKEN.items()}
    with PageServer(site, answers) as server, launch(engine, 1024, 768) as browser:
        game = Game(browser, server.url)

        def said(name):
            text = game.message()
            check(text and server.url + "pictures/" + name in text and BROKEN[name][1] in text,
                  "the message names the address and why: %r" % text)
            browser.key("Enter")
            check(game.message() is None, "Enter closes the message")
            failures.add(name)

        game.play(steps["letters"], on_failure=said)
        check(failures == set(BROKEN), "every broken file was said: %s" % failures)
        game.check_console()

        # Timers a second late, as on a busy tablet: the picture files come
        # after the board shows.
        server.before_page.append(
            "const later = setTimeout; globalThis.setTimeout = (f, ms, ...a) => later(f, (ms || 0) + 1000, ...a)")
        game = Game(browser, server.url)
        game.play(steps["letters"][:1], on_failure=said)
        game.check_console()

        # A browser that lets no page read its canvases back, as a privacy
        # setting may: the boxes show copies of their pictures' canvases, and
        # the board still stands and plays.
        server.before_page.append(
            "HTMLCanvasElement.prototype.toDataURL = () => { throw new DOMException('', 'SecurityError') }")
        game = Game(browser, server.url)
        check(browser.evaluate("document.querySelectorAll('#stage canvas').length > 0"), "the boxes show their canvases")
        game.play(steps["letters"][:1], on_failure=said)
        game.check_console()

        # As in a browser that has none, or where a school's policy turned
        # it off: the program's JavaScript shape plays (the sanitizers' build
        # has none). Where that cannot come either, the page says what a
        # teacher can do.
        shape = shape_of(site)
        if os.path.isfile(os.path.join(site, shape)):
            server.before_page.append("delete globalThis.WebAssembly")
            game = Game(browser, server.url)
            game.play(steps["letters"][:1], on_failure=said)
            game.check_console()
    with PageServer(site, {shape: (404, b"")}) as server, launch(engine, 1024, 768) as browser:
        server.before_page.append("delete globalThis.WebAssembly")
        browser.open(server.url)
        browser.wait_for("!!document.querySelector('p.needs')")
        line = browser.evaluate("document.querySelector('p.needs').textContent")
        check(line.startswith("このブラウザでは") and "update the browser" in line, "the page says what to do: %r" % line)
        check(browser.evaluate("!document.getElementById('first-board')"), "no board stays that cannot be played")


def drag_ends_when_the_page_is_left(browser, game, letter, leave):
    """The page left in the middle of a drag (`leave`) ends it, as a release
    does: when the child comes back, the block stays where the drag left it."""
    click, drag = letter["steps"][:2]
    game.step(click)
    path = [game.at(point) for point in drag["drag"]]
    blocks = "[...document.querySelectorAll('div[id^=Piece]')].map(e => e.style.left + ',' + e.style.top)"
    before = browser.evaluate(blocks)
    browser.mouse(path[:2], release=False)

    def moved():
        now = browser.evaluate(blocks)
        return now != before and now
    dragged = wait_until(moved, "the drag moves a block")
    leave()
    browser.mouse([None] + path[2:])
    check(browser.evaluate(blocks) == dragged, "the block stays where the drag was left")


def check_board_pixels(board, labels, what):
    """`board`, the scene at scale 1 as the start-up leaves it, shows the
    pixels it has always shown, in every engine: everything but the labels'
    text is pictures."""
    masked = board.convert("RGB")
    for left, top, width, height in labels:
        masked.paste((0, 0, 0), (left, top, left + width, top + height))
    digest = hashlib.sha256(masked.tobytes()).hexdigest()
    check(digest == BOARD_DIGEST, "%s shows other pixels than before (%s): where the design's pictures changed on "
          "purpose, see the board and renew BOARD_DIGEST" % (what, digest))


def scale_two(engine, site, plan_program):
    """At 2048 x 1536 the scene is twice its size, every picture pixel a 2 x 2
    block of the scene at scale 1; letter A plays at that scale, and the page
    hidden in the middle of the next drag ends it."""
    steps = plan(plan_program)
    with PageServer(site) as server:
        with launch(engine, 1024, 768) as browser:
            game = Game(browser, server.url)
            labels = browser.evaluate("['Label1', 'lblPicFile'].map(id => (e => "
                                      "[e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight])"
                                      "(document.getElementById(id)))")
            scene = (int(game.left), int(game.top), int(game.left) + SCENE[0], int(game.top) + SCENE[1])
            one = game.shot().crop(scene)
            check_board_pixels(one, labels, "the program's board")
            check_board_pixels(game.check_first_board(os.path.join(site, "index.html")).crop(scene), labels,
                               "the first board")
        with launch(engine, 2048, 1536) as browser:
            game = Game(browser, server.url)
            check(game.scale == 2, "scale 2 at 2048 x 1536, not %s" % game.scale)
            game.check_first_board(os.path.join(site, "index.html"))
            shot = browser.screenshot()
            left, top = int(game.left), int(game.top)
            check((left, top) == (game.left, game.top), "the scene stands on whole pixels")
            # Text is set anew at each size; everything else is pictures.
            in_label = lambda x, y: any(lx <= x < lx + w and ly <= y < ly + h for lx, ly, w, h in labels)
            two = shot.load()
            small = one.load()
            for y in range(SCENE[1]):
                for x in range(SCENE[0]):
                    if in_label(x, y):
                        continue
                    expected = small[x, y]
                    block = {two[left + 2 * x + i, top + 2 * y + j] for i in (0, 1) for j in (0, 1)}
                    check(block == {expected}, "scene pixel (%d, %d) is %s at scale 1, %s at scale 2" % (
                        x, y, expected, block))
            game.play(steps["letters"][:1])
            drag_ends_when_the_page_is_left(browser, game, steps["letters"][1], browser.hide)
            game.check_console()


def focus_lost_ends_a_drag(engine, site, plan_program):
    """On a desktop, another program's window takes the focus in the middle
    of a drag, the page still in sight: the drag ends as a release does."""
    if engine not in DESKTOP_ENGINES:
        skip("%s's window takes no focus on a desktop under its driver" % ENGINES[engine])
    steps = plan(plan_program)
    with PageServer(site) as server, launch(engine, 1024, 768, desktop=True) as browser:
        game = Game(browser, server.url)
        browser.wait_for("document.hasFocus()")

        def leave():
            browser.lose_focus()
            check(browser.evaluate("!document.hidden"), "the page stays in sight")
        drag_ends_when_the_page_is_left(browser, game, steps["letters"][0], leave)
        game.check_console()


def check_answers(browser, server, settings=True, also=None):
    """Every request the page made was answered, each with its type; where
    the server reads the page's settings, each with its compression, cache
    policy and nosniff too, and the page with its own policy. Each answer
    carries the headers `also` gives besides."""
    answered, failed = browser.responses()
    check(not failed, "requests failed: %s" % failed)
    policy = browser.evaluate("document.querySelector('meta[http-equiv=Content-Security-Policy]').content")
    seen = set()
    for url, status, headers in answered:
        if url.startswith("data:"):
            continue  # the page's own pictures, made in the page
        path = url[len(server.url):].split("?")[0] or "index.html"
        extension = os.path.splitext(path)[1]
        seen.add(extension)
        check(status == 200, "%s answered %d" % (path, status))
        check(headers.get("content-type", "").startswith(TYPES[extension]),
              "%s comes as %s" % (path, headers.get("content-type")))
        for name, value in (also or {}).items():
            check(headers.get(name) == value, "%s comes with %s %r" % (path, name, headers.get(name)))
        if not settings:
            continue
        check(extension not in COMPRESSED or headers.get("content-encoding") in ("br", "gzip"),
              "%s comes uncompressed" % path)
        cache = KEPT if NAMED.search(path) else "no-cache"
        check(headers.get("cache-control") == cache, "%s comes with %r, not %r" % (
            path, headers.get("cache-control"), cache))
        check(headers.get("x-content-type-options") == "nosniff", "%s may be sniffed" % path)
        check(extension != ".html" or headers.get("content-security-policy") == policy,
              "the page comes with its policy: %r" % headers.get("content-security-policy"))
    check({".html", ".js", ".wasm", ".css", ".gif"} <= seen, "the page's files were all seen: %s" % seen)


def audit(url):
    """Lighthouse's text compression and cache policy audits pass for the
    page at url, on Debian's chromium."""
    check(os.path.exists(LIGHTHOUSE), "no Lighthouse in tools/lighthouse: make lighthouse installs it")
    report = json.loads(subprocess.run(
        [LIGHTHOUSE, url, "--only-audits=" + ",".join(AUDITS), "--chrome-flags=--headless=new --no-sandbox",
         "--output=json", "--quiet"], check=True, capture_output=True, text=True,
        env=dict(os.environ, CHROME_PATH=shutil.which("chromium"))).stdout)
    for name in AUDITS:
        result = report["audits"][name]
        # Lighthouse's own mark of a passed audit.
        check(result["score"] is not None and result["score"] >= 0.9, "Lighthouse's %s: %s, %s" % (
            name, result["score"], result.get("displayValue") or result.get("errorMessage")))


def status(url):
    try:
        with urllib.request.urlopen(url) as answer:
            return answer.status
    except urllib.error.HTTPError as error:
        return error.code


def fetch(url, encoding="identity"):
    """The headers, with lower-case names, and the body of the answer to a
    browser that takes `encoding`."""
    with urllib.request.urlopen(urllib.request.Request(url, headers={"Accept-Encoding": encoding})) as answer:
        return {name.lower(): value for name, value in answer.headers.items()}, answer.read()


def served_by(server_kind):
    def variant(engine, site, plan_program):
        """Behind Debian's server with the settings the page ships, started
        on a free port with a configuration of its own: letter A plays,
        every file comes with its type, compression and cache policy, no
        request fails, and Lighthouse finds nothing to compress or keep.
        nginx serves the page from its location beside a school's other
        pages, which keep their own headers; Apache on each folder setting
        a school may have."""
        steps = plan(plan_program)
        site = readable_copy(site, os.path.join(tempfile.gettempdir(), "site"))
        files = sorted(os.path.relpath(os.path.join(folder, name), site) for folder, _, names in os.walk(site)
                       for name in names if not name.startswith(".ht"))

        def served(server, what):
            for path in [""] + files:
                answer = status(server.url + path)
                check(answer == 200, "%s answered %d %s" % (path or "the folder's address", answer, what))

        def plays(server, what, **answers):
            served(server, what)
            with launch(engine, 1024, 768) as browser:
                game = Game(browser, server.url)
                game.play(steps["letters"][:1])
                game.check_console()
                check_answers(browser, server, **answers)

        if server_kind is Nginx:
            with Nginx(site, beside_others=True) as server:
                # The lines nginx.conf says to repeat come with every file.
                plays(server, "beside the school's pages", also={name: SCHOOL_HEADERS[name] for name in REPEATED})
                audit(server.url)
                # Apache's settings are no one's to read: Apache's own
                # refuse them, nginx's the page's settings do.
                check(status(server.url + ".htaccess") == 403, ".htaccess is served")
                # The server's other pages keep their headers and caching,
                # and have none of the page's.
                for path, cache in (("", None), ("other.js", "max-age=604800")):
                    headers = fetch(server.url.replace("zentrik/", path))[0]
                    check(all(headers.get(name) == value for name, value in SCHOOL_HEADERS.items())
                          and headers.get("cache-control") == cache and "content-security-policy" not in headers,
                          "the school's /%s comes with %s" % (path, headers))
            return
        # Debian's default site: the copies make web wrote.
        with Apache(site) as server:
            plays(server, "on Debian's default site")
            audit(server.url)
            wasm = next(name for name in os.listdir(site) if name.endswith(".wasm"))
            check(fetch(server.url + wasm, "br")[1] == open(os.path.join(site, wasm + ".br"), "rb").read(),
                  "the WebAssembly's brotli copy is sent")
        # A folder that allows no symbolic links, where mod_rewrite refuses
        # to act: every setting but the copies, compressed as sent.
        with Apache(site, options="None") as server:
            plays(server, "with Options None")
        # A folder whose .htaccess is not read: Debian's own settings.
        with Apache(site, overrides="None") as server:
            plays(server, "with AllowOverride None", settings=False)
        # Where the server lacks every module the .htaccess uses, the page
        # is served as it is.
        with Apache(site, modules=("dir",)) as server:
            served(server, "without modules")
    return variant


def shape_of(site):
    """The name of the program's JavaScript shape, as the service worker knows it."""
    with open(os.path.join(site, "sw.js"), encoding="utf-8") as worker:
        return re.search(r"const SHAPE = '([^']+)';", worker.read())[1]


def another_build(site, folder):
    """The build in `site` as the next build would be: a program, its
    JavaScript shape and a style sheet of other content, so under other
    names, and the page, the program and the service worker naming those.
    Returns the names the page runs, the shape aside."""
    shutil.copytree(site, folder)
    renamed = {}
    shape = shape_of(site)
    # The program's script names the WebAssembly and the shape.
    for name in sorted(os.listdir(folder), key=lambda name: (not name.endswith(".wasm"), name != shape)):
        if not NAMED.search(name):
            continue
        path = os.path.join(folder, name)
        content = open(path, "rb").read()
        for old, new in renamed.items():
            content = content.replace(old.encode(), new.encode())
        # A custom section is WebAssembly that changes nothing.
        content += {".wasm": b"\x00\x08\x07another", ".js": b"\n// another build\n",
                    ".css": b"\n/* another build */\n"}[os.path.splitext(name)[1]]
        os.remove(path)
        renamed[name] = NAMED.sub(lambda m: "zentrik.%s.%s" % (hashlib.sha256(content).hexdigest()[:16], m[1]), name)
        open(os.path.join(folder, renamed[name]), "wb").write(content)
    for name in ("index.html", "sw.js"):
        path = os.path.join(folder, name)
        text = open(path).read()
        for old, new in renamed.items():
            text = text.replace(old, new)
        open(path, "w").write(text.replace("const VERSION = '", "const VERSION = 'another "))
    for name in os.listdir(folder):
        if name.endswith((".gz", ".br")):
            os.remove(os.path.join(folder, name))
    return set(renamed.values()) - {renamed.get(shape)}


def update_never_mixes(engine, site, plan_program):
    """A school's nginx has one build, then the next. A browser that played
    the first with no service worker (plain http) and with its HTTP cache
    runs the next one whole; with the service worker, the page open keeps
    the first build until it is closed, and the next visit runs the next
    build whole, with the next build's files alone kept on the device."""
    steps = plan(plan_program)
    first = {name for name in os.listdir(site) if NAMED.search(name)} - {shape_of(site)}
    with tempfile.TemporaryDirectory(prefix="zentrik-builds-") as builds:
        # Readable by the server's unprivileged user.
        os.chmod(builds, 0o755)
        served = readable_copy(site, os.path.join(builds, "served"))
        next_build = another_build(site, os.path.join(builds, "next"))

        def deploy(build):
            shutil.rmtree(served)
            readable_copy(build, served)

        def running():
            names = browser.evaluate("[...performance.getEntriesByType('resource').map(e => e.name), "
                                     "document.querySelector('script[src]').src, "
                                     "document.querySelector('link[rel=stylesheet]').href]")
            return {os.path.basename(url) for url in names if NAMED.search(url)}

        with Nginx(served) as server:
            with launch(engine, 1024, 768) as browser:
                # As on a school's server over plain http, where browsers
                # allow no service worker.
                check(browser.run_before_page("delete Navigator.prototype.serviceWorker"),
                      "the driver runs a script before the page")
                Game(browser, server.url)
                check(running() == first, "the first build runs: %s" % running())
                deploy(os.path.join(builds, "next"))
                game = Game(browser, server.url)
                check(running() == next_build, "the next build runs whole: %s" % running())
                game.play(steps["letters"][:1])
                game.check_console()

            deploy(site)
            with launch(engine, 1024, 768) as browser:
                Game(browser, server.url)
                browser.evaluate("navigator.serviceWorker.ready.then(() => true)")
                deploy(os.path.join(builds, "next"))
                # Opened again, the page comes from the first build's set,
                # while the next build's worker waits for it to close.
                game = Game(browser, server.url)
                check(browser.evaluate("!!navigator.serviceWorker.controller"), "the page comes from the device")
                check(running() == first, "the open page keeps the first build: %s" % running())
                waiting = wait_until(lambda: browser.service_workers("installed"), "the next build's worker waits")
                game.play(steps["letters"][:1])
                # Closed, the page leaves its place to the next build's worker.
                browser.open("about:blank")
                wait_until(lambda: waiting <= browser.service_workers("activated"), "the next build's worker serves")
                game = Game(browser, server.url)
                check(running() == next_build, "the next visit runs the next build whole: %s" % running())
                game.play(steps["letters"][:1])
                game.check_console()
                # The device keeps the files of the next build's worker, and
                # nothing of the first build.
                named = re.search(r"const FILES = \[(.*)\];", open(os.path.join(builds, "next", "sw.js")).read())
                files = sorted(urllib.parse.urljoin(server.url, name) for name in re.findall(r"'([^']*)'", named[1]))
                kept = browser.evaluate("caches.keys().then(names => Promise.all(names.map(name => caches.open(name)"
                                        ".then(cache => cache.keys()).then(kept => kept.map(r => r.url).sort()))))")
                check(kept == [files], "the device keeps one set of files, the next build's: %d sets, of %s" % (
                    len(kept), sorted({os.path.basename(url) for urls in kept for url in urls if NAMED.search(url)})))


# Kept first in the test's copy of the single file, allowed by its hash:
# every request the page's policy refuses, which the engines' drivers do not
# all report, and which Resource Timing never sees.
REFUSALS = ("window.zentrikRefused = []; addEventListener('securitypolicyviolation', "
            "e => zentrikRefused.push(e.blockedURI + ' (' + e.violatedDirective + ')'));")


def single_file_copy(single, folder):
    """The single file at `single` alone in `folder` as zentrik.html, hearing
    its policy's refusals."""
    with open(single, encoding="utf-8") as file:
        page = file.read()
    digest = base64.b64encode(hashlib.sha256(REFUSALS.encode()).digest()).decode()
    page = page.replace("script-src ", "script-src 'sha256-%s' " % digest, 1).replace(
        '<meta name="viewport"', "<script>%s</script>\n<meta name=\"viewport\"" % REFUSALS, 1)
    path = os.path.join(folder, "zentrik.html")
    with open(path, "w", encoding="utf-8") as file:
        file.write(page)
    return path


def check_asks_nothing(browser, page):
    """The page at `page` asked for nothing but itself: no request in its
    Resource Timing, none that its policy refused, none in the driver's log
    but data: addresses (the pictures the page makes)."""
    timed = browser.evaluate("performance.getEntriesByType('resource').map(e => e.name)")
    check(not timed, "the single file asked for %s" % timed)
    refused = browser.evaluate("window.zentrikRefused")
    check(refused == [], "the single file asked for %s" % refused)
    asked = [url for url in browser.requested() if url != page and not url.startswith("data:")]
    check(not asked, "the single file asked for %s" % asked)


def single_file(engine, single, plan_program):
    """The single file alone in a folder, opened from the disk by its file://
    address, as a double click opens it: at scale 2 both its first board and
    its program's show the served page's pixels, letter A plays by touch, and
    the page asks for nothing at all; in Chromium the whole game plays from
    the disk, by touch and mouse."""
    steps = plan(plan_program)
    with tempfile.TemporaryDirectory(prefix="usb-stick-") as disk:
        path = single_file_copy(single, disk)
        url = pathlib.Path(path).as_uri()
        with launch(engine, 2048, 1536) as browser:
            game = Game(browser, url)
            check(game.scale == 2, "scale 2 at 2048 x 1536, not %s" % game.scale)
            labels = browser.evaluate("['Label1', 'lblPicFile'].map(id => (e => [e.offsetLeft, e.offsetTop, "
                                      "e.offsetWidth, e.offsetHeight].map(v => v / %d))(document.getElementById(id)))"
                                      % game.scale)
            scene = (int(game.left), int(game.top), int(game.left) + 2 * SCENE[0], int(game.top) + 2 * SCENE[1])
            for board, what in ((game.shot(), "the single file's board"),
                                (game.check_first_board(path), "the single file's first board")):
                check_board_pixels(board.crop(scene).resize(SCENE, Image.NEAREST), labels, what + " at scale 2")
            game.play(steps["letters"][:1], touch_letters="A")
            game.check_console()
            check_asks_nothing(browser, url)
        if engine == "chromium":
            with launch(engine, 1024, 768) as browser:
                game = Game(browser, url)
                game.play(steps["letters"], touch_letters="A")
                captions = browser.evaluate("['Label1', 'lblPicFile'].map(id => document.getElementById(id)"
                                            ".textContent)")
                check(captions == steps["finished"], "the closing lines: %s" % captions)
                game.check_console()
                check_asks_nothing(browser, url)


def single_file_served_or_damaged(engine, single, plan_program):
    """The single file alone behind a plain static server, as a course page
    hands out an uploaded file, plays a letter and asks for nothing but
    itself. Copied with one picture damaged, it says so when a turn needs
    that picture, naming the file and the picture, and play goes on."""
    broken, (answer, reason) = "c_down2b.gif", BROKEN["c_up2b.gif"]
    with tempfile.TemporaryDirectory(prefix="course-") as course:
        path = single_file_copy(single, course)
        with Server(course) as server, launch(engine, 1024, 768) as browser:
            Game(browser, server.url + "zentrik.html").play(plan(plan_program)["letters"][:1])
            check_asks_nothing(browser, server.url + "zentrik.html")
            check(server.paths == ["/zentrik.html"], "the server was asked for %s" % server.paths)
        with open(path, encoding="utf-8") as file:
            page = file.read()
        with open(path, "w", encoding="utf-8") as file:
            file.write(re.sub(r'"pictures/%s":"[^"]+"' % broken,
                              '"pictures/%s":"%s"' % (broken, base64.b64encode(answer[1]).decode()), page))
        told = []
        with launch(engine, 1024, 768) as browser:
            game = Game(browser, pathlib.Path(path).as_uri())
            game.play(plan(plan_program, broken)["letters"][:2], on_failure=lambda name: (
                told.append(game.message()), browser.key("Enter")))
            check(len(told) == 1 and "zentrik.html#pictures/%s" % broken in told[0] and reason in told[0]
                  and game.message() is None, "the damaged picture is told by name and why, and closed: %s" % told)
            game.check_console()


VARIANTS = {
    "WholeGameOfflineByMouseAndTouch": whole_game,
    "BrokenPicturesOrNoWebAssembly": broken_pictures_or_no_webassembly,
    "ScaleTwo": scale_two,
    "FocusLostEndsADrag": focus_lost_ends_a_drag,
    "FramedLetter": framed_letter,
    "UpdateNeverMixes": update_never_mixes,
    "SingleFileFromDisk": single_file,
    "SingleFileServedOrDamaged": single_file_served_or_damaged,
    "ServedByNginx": served_by(Nginx),
    "ServedByApache": served_by(Apache),
}

if __name__ == "__main__":
    engine, variant, site, plan_program = sys.argv[1:]
    if not os.path.isfile(site if site.endswith(".html") else os.path.join(site, "index.html")):
        fail("no page in %s: make web puts it together" % site)
    check(engine in ENGINES, "no driver for %s: %s" % (engine, ", ".join(ENGINES)))
    # Ended by a time limit's signal, the test still ends its browsers and
    # servers and removes its files.
    signal.signal(signal.SIGTERM, lambda *_: fail("ended by a signal"))
    # What the test and the programs it starts put in temporary folders goes
    # into one of its own, removed at its end, also where the test fails;
    # open to the servers' unprivileged user, as /tmp is.
    with tempfile.TemporaryDirectory(prefix="zentrik-test-") as scratch:
        os.chmod(scratch, 0o755)
        os.environ["TMPDIR"] = tempfile.tempdir = scratch
        VARIANTS[variant](engine, site, plan_program)
    print("1 passed, 0 failed")
