"""The course packages (SCORM 1.2 and 2004) unpacked as a learning platform
unpacks them and played in its player (courseplayer.html), which holds the
platform's runtime, scorm-again as tools/scorm pins it.

    course.py ENGINE TEST COURSE_DIR WEB_PLAN

COURSE_DIR holds zentrik-scorm12.zip and zentrik-scorm2004.zip.
"""

import json
import os
import shutil
import signal
import sys
import tempfile
import urllib.parse
import zipfile

from browser import RECORDER, Server, launch
from oldbrowsers import REFUSED
from playthrough import Game, check, fail, plan

HERE = os.path.dirname(os.path.abspath(__file__))
RUNTIME = os.path.join(HERE, "..", "..", "tools", "scorm", "node_modules", "scorm-again", "dist")
STANDARDS = ("1.2", "2004")
# The player's own files; everything else the page asks for is the package's.
PLAYER = ("player.html", "scorm12.js", "scorm2004.js", "recorder.js")
# What the package's policy refuses, which WebKit's driver does not hear.
HEARD = "addEventListener('securitypolicyviolation', e => zentrikSaid.push('refused ' + e.blockedURI));"


def folder(standard):
    return "scorm%s/" % standard.replace(".", "")


def held(standard, status, location, score):
    """What the runtime holds, as the player reads its data model."""
    values = {"status": status, "location": location, "raw": str(score), "min": "0", "max": "100"}
    if standard == "2004":
        values.update(scaled="%g" % (score / 100), progress="%g" % (score / 100))
    return values


class Platform(Server):
    """The packages in COURSE_DIR unpacked beside the player and the runtime
    in `scratch`, served as a platform serves them. Each package's page
    runs the recorder first, as browser.PageServer's does: what it says is
    heard from its start in every engine, in its own zentrikSaid. With
    `shape`, a key of JS_SHAPE, the page cannot compile WebAssembly and
    plays the program's JavaScript shape."""

    def __init__(self, course_dir, scratch, answers=(), shape=None):
        for standard in STANDARDS:
            package = os.path.join(course_dir, "zentrik-%s.zip" % folder(standard)[:-1])
            check(os.path.isfile(package), "no %s: make web puts it together" % package)
            with zipfile.ZipFile(package) as archive:
                archive.extractall(os.path.join(scratch, folder(standard)))
        check(os.path.isdir(RUNTIME), "no scorm-again in tools/scorm: make scorm-runtime installs it")
        for name in ("scorm12.js", "scorm2004.js"):
            shutil.copyfile(os.path.join(RUNTIME, name), os.path.join(scratch, name))
        shutil.copyfile(os.path.join(HERE, "courseplayer.html"), os.path.join(scratch, "player.html"))
        self.folder = scratch
        before, policy = JS_SHAPE.get(shape, ("", None))
        pages = {"recorder.js": (200, (RECORDER + HEARD + before).encode(), "text/javascript")}
        for standard in STANDARDS:
            with open(os.path.join(scratch, folder(standard), "index.html"), "rb") as file:
                page = file.read().replace(b"<head>", b'<head>\n<script src="../recorder.js"></script>', 1)
            if policy:
                check(policy[0] in page, "the package's policy names %s" % policy[0].decode())
                page = page.replace(*policy)
            pages[folder(standard) + "index.html"] = (200, page, "text/html; charset=utf-8")
        super().__init__(scratch, dict(pages, **dict(answers)))

    def play(self, browser, standard, runtime="scorm-again", data=None):
        """The package in the player's frame, ready for input."""
        del self.paths[:]
        query = "player.html?standard=%s&runtime=%s" % (standard, runtime)
        if data:
            query += "&held=" + urllib.parse.quote(json.dumps(data))
        return Game(browser, self.url + query, framed=True)

    def check_requests(self, browser, standard):
        """The page asked for nothing but its package's files and the player's."""
        elsewhere = [url for url in browser.requested() if not url.startswith((self.url, "data:"))]
        check(not elsewhere, "the page asked elsewhere: %s" % elsewhere)
        outside = [path for path in self.paths if not path.lstrip("/").startswith(PLAYER + (folder(standard),))]
        check(not outside, "the page asked outside its package: %s" % outside)


    def shape(self, standard):
        """The package's JavaScript shape: the script its page does not name."""
        package = os.path.join(self.folder, folder(standard))
        with open(os.path.join(package, "index.html"), encoding="utf-8") as file:
            page = file.read()
        return next(name for name in os.listdir(package) if name.startswith("zentrik.") and name.endswith(".js")
                    and name not in page)


# The two ways a page comes to play the JavaScript shape: its policy as
# Safari 15 reads it, older than 'wasm-unsafe-eval', which refuses every
# compile; and no WebAssembly at all (switched off, or Lockdown Mode), gone
# before the page's own scripts run. Each: what the recorder runs first, and
# what the page's text has in place of what.
JS_SHAPE = {"old-policy": ("", (b" 'wasm-unsafe-eval'", b"")),
            "no-webassembly": ("delete window.WebAssembly;", None)}


def check_taken(browser, player):
    """Every call that writes was taken by the runtime."""
    refused = browser.evaluate("%s.calls.filter(c => !/Get/.test(c[0]) && c.at(-1) !== 'true')" % player)
    check(not refused, "the runtime refused %s" % refused)


def wait_held(browser, expected, player="parent.player", commits=None):
    """Waits for a commit of the location `expected` holds, or for the
    `commits`th commit, and checks what else of `expected` the runtime held
    then."""
    if commits:
        browser.wait_for("%s.committed.length >= %d" % (player, commits))
    else:
        browser.wait_for("%s.committed.at(-1)?.location === %s" % (player, json.dumps(expected["location"])))
    committed = browser.evaluate("%s.committed.at(-1)" % player)
    check({key: committed[key] for key in expected} == expected, "the runtime holds %s, not %s" % (
        committed, expected))
    check_taken(browser, player)


def check_ended(browser, standard, close):
    """The attempt ends once the page is closed by `close`, and not before;
    the page writes its session's time first, and in 2004 a normal exit."""
    end, time = {"1.2": ("LMSFinish", "cmi.core.session_time"), "2004": ("Terminate", "cmi.session_time")}[standard]
    browser.frame(None)
    check(browser.evaluate("!player.calls.some(c => c[0] === %r)" % end), "the attempt ended while the page ran")
    browser.evaluate("%s, true" % close)
    browser.wait_for("player.calls.some(c => c[0] === %r)" % end)
    calls = browser.evaluate("player.calls")
    names = [call[0] for call in calls]
    check(names.count(end) == 1, "the attempt ended %d times" % names.count(end))
    written = {call[1]: call[2] for call in calls[:names.index(end)] if call[0].endswith("SetValue")}
    check(time in written and (standard == "1.2" or written.get("cmi.exit") == "normal"),
          "before %s the page wrote %s" % (end, written))
    check_taken(browser, "player")


def letter_a(engine, course_dir, plan_program, scratch):
    """Letter A in each standard's package: the runtime holds the next letter,
    the score and the status, each committed; the package registers no
    service worker, asks for nothing outside its folder and says nothing."""
    letter = plan(plan_program)["letters"][:1]
    with Platform(course_dir, scratch) as platform, launch(engine, 1024, 768) as browser:
        for standard in STANDARDS:
            game = platform.play(browser, standard)
            game.play(letter)
            wait_held(browser, held(standard, "incomplete", "B", 4))
            workers = browser.evaluate("navigator.serviceWorker.getRegistrations().then(r => r.length)")
            check(workers == 0, "the package registered %d service workers" % workers)
            platform.check_requests(browser, standard)
            check(browser.evaluate("zentrikSaid") == [], "the page said %s" % browser.evaluate("zentrikSaid"))
        game.check_console()


def whole_game(engine, course_dir, plan_program, scratch):
    """A to Z: the runtime holds "completed" and the full score, and the
    attempt ends once when the frame goes. Opened
    in a window of its own, the package finds the runtime in its opener and
    ends the attempt when closed. A new game in the same attempt takes back
    nothing the platform holds."""
    steps = plan(plan_program)
    with Platform(course_dir, scratch) as platform, launch(engine, 1024, 768) as browser:
        # The standards differ in their elements' names, which letter A
        # checks in both; the end of the game is the same code.
        game = platform.play(browser, "1.2")
        game.play(steps["letters"])
        wait_held(browser, held("1.2", "completed", "Z", 100))
        check_ended(browser, "1.2", "document.querySelector('iframe').remove()")
        for standard in STANDARDS:
            browser.open(platform.url + "player.html?standard=%s&runtime=scorm-again&open=window" % standard)
            # The player's Enter button, at its top left.
            browser.mouse([(100, 50)])
            browser.wait_for("!!player.window")
            wait_held(browser, {"status": "incomplete", "location": "A"}, "player")
            said = browser.evaluate("player.window.zentrikSaid")
            check(said == [], "the package's window said %s" % said)
            check_ended(browser, standard, "player.window.close()")

        # A new game in the same attempt: its letter A takes back nothing
        # the platform holds, neither a finished game's status, score and
        # letter, nor an unfinished one's furthest letter.
        for standard, status, location, score in (("2004", "completed", "Z", 100), ("1.2", "passed", "Z", 100),
                                                  ("2004", "incomplete", "M", 46)):
            data = {"1.2": {"core": {"lesson_status": status, "lesson_location": location,
                                     "score": {"raw": str(score)}}},
                    "2004": {"completion_status": status, "location": location,
                             "score": {"raw": str(score)}}}[standard]
            game = platform.play(browser, standard, data=data)
            # Held at the start, and after letter A.
            game.play(steps["letters"][:1])
            wait_held(browser, {"status": status, "location": location, "raw": str(score)}, commits=2)
        game.check_console()


# What a faulty platform's runtime makes the page say, each once.
FAULTS = (("throws", ["failed: Error: the platform is down"]),
          ("refuses", ["answered false, error 101", 'status "false" is not one the game knows']),
          ("none", ["no learning platform ("]))
# Emscripten's words where the server gives the WebAssembly another type:
# the browser will not compile it as it comes, and the program compiles it
# once it is all there.
UNSTREAMED = ["wasm streaming compile failed: TypeError", "falling back to ArrayBuffer instantiation"]


def check_said(browser, lines):
    said = browser.evaluate("zentrikSaid")
    check(len(said) == len(lines) and all(sum(line in text for text in said) == 1 for line in lines),
          "the page said %s, not once each %s" % (said, lines))


def faulty_platforms(engine, course_dir, plan_program, scratch):
    """A runtime that throws, one that refuses every call, and none: letter A
    plays, with no message to the child, and the page says each kind of
    fault once. The program served as application/octet-stream, uncompressed,
    plays too."""
    letter = plan(plan_program)["letters"][:1]
    expected = UNSTREAMED
    with Platform(course_dir, scratch) as platform, launch(engine, 1024, 768) as browser:
        for standard in STANDARDS:
            for runtime, lines in FAULTS:
                game = platform.play(browser, standard, runtime)
                game.play(letter)
                check(game.message() is None, "the child is told %r" % game.message())
                check_said(browser, lines)
                expected = expected + lines
        wasm = next(name for name in os.listdir(os.path.join(scratch, "scorm2004")) if name.endswith(".wasm"))
        with open(os.path.join(scratch, "scorm2004", wasm), "rb") as file:
            answers = {"scorm2004/" + wasm: (200, file.read(), "application/octet-stream")}
        with Platform(course_dir, scratch, answers) as platform:
            game = platform.play(browser, "2004")
            game.play(letter)
            wait_held(browser, held("2004", "incomplete", "B", 4))
            check_said(browser, UNSTREAMED)
            game.check_console(expected=expected)


def javascript_shape(engine, course_dir, plan_program, scratch):
    """Where the page cannot compile WebAssembly, its JavaScript shape tells
    the platform the same: after letter A each standard's runtime holds the
    next letter, the score and the status, committed. In every engine with
    the policy as Safari 15 reads it; in Chromium with no WebAssembly too."""
    letter = plan(plan_program)["letters"][:1]
    for shape in ("old-policy", "no-webassembly") if engine == "chromium" else ("old-policy",):
        os.mkdir(os.path.join(scratch, shape))
        with Platform(course_dir, os.path.join(scratch, shape), shape=shape) as platform, \
                launch(engine, 1024, 768) as browser:
            for standard in STANDARDS:
                game = platform.play(browser, standard)
                game.play(letter)
                wait_held(browser, held(standard, "incomplete", "B", 4))
                check("/%s%s" % (folder(standard), platform.shape(standard)) in platform.paths,
                      "the package played its WebAssembly")
                platform.check_requests(browser, standard)
            game.check_console(expected=REFUSED.get(engine, []) if shape == "old-policy" else [])


TESTS = {"CourseLetterA": letter_a, "CourseWholeGame": whole_game, "CourseFaultyPlatforms": faulty_platforms,
         "CourseJavaScriptShape": javascript_shape}

if __name__ == "__main__":
    engine, test, course_dir, plan_program = sys.argv[1:]
    signal.signal(signal.SIGTERM, lambda *_: fail("ended by a signal"))
    with tempfile.TemporaryDirectory(prefix="zentrik-test-") as scratch:
        os.environ["TMPDIR"] = tempfile.tempdir = scratch
        os.mkdir(os.path.join(scratch, "platform"))
        TESTS[test](engine, course_dir, plan_program, os.path.join(scratch, "platform"))
    print("1 passed, 0 failed")
