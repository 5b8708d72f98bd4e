"""The page where WebAssembly cannot run: served with its policy as a browser
older than 'wasm-unsafe-eval' reads it, the same policy without that word,
which refuses every compile. The program's JavaScript shape plays the same
game on the same board.

    oldbrowsers.py ENGINE SITE_FOLDER WEB_PLAN
"""

import os
import shutil
import signal
import sys
import tempfile

from browser import PageServer, launch
from playthrough import SCENE, Game, check, check_board_pixels, fail, plan, shape_of

# What pre.js asks of the page before it starts the WebAssembly, asked by a
# script of the page's own, for a driver's evaluation may pass the policy by,
# once the document is parsed, for the test's script comes before the policy.
RUNS_WEBASSEMBLY = ("addEventListener('DOMContentLoaded', () => { window.zentrikRunsWebAssembly = (() => {"
                    " try { return !!new WebAssembly.Instance(new WebAssembly.Module("
                    "new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0]))); } catch (e) { return false; } })(); });")
# What an engine says in the page's console of the refused compile.
REFUSED = {"firefox": ["blocked WebAssembly"]}
KEEPS_SHAPE = ("caches.keys().then(names => Promise.all(names.map(name => caches.open(name)"
               ".then(kept => kept.match('plays-the-javascript-shape'))))).then(marks => marks.some(Boolean))")


def old_policy_copy(site, folder):
    """A copy of the page at `folder` whose policy is as a browser older than
    'wasm-unsafe-eval' reads it."""
    shutil.copytree(site, folder)
    with open(os.path.join(folder, "index.html"), encoding="utf-8") as file:
        page = file.read()
    check(" 'wasm-unsafe-eval'" in page, "the page's policy names 'wasm-unsafe-eval'")
    with open(os.path.join(folder, "index.html"), "w", encoding="utf-8") as file:
        file.write(page.replace(" 'wasm-unsafe-eval'", "", 1))
    return folder


def old_policy(engine, site, plan_program):
    """Under the old policy each engine refuses the compile; the board shows
    its pixels of always, letter A plays by mouse and by touch, and the page
    asks for nothing but its own files, the shape among them. In Chromium,
    the page plays A to Z offline after that one visit: the service worker
    kept the shape, on this device only."""
    steps = plan(plan_program)
    shape = shape_of(site)
    old = old_policy_copy(site, os.path.join(tempfile.gettempdir(), "old-policy"))

    with PageServer(old) as server, launch(engine, 1024, 768) as browser:
        server.before_page.append(RUNS_WEBASSEMBLY)
        game = Game(browser, server.url)
        check(browser.evaluate("window.zentrikRunsWebAssembly") is False,
              "%s runs WebAssembly under the old policy" % engine)
        labels = browser.evaluate("['Label1', 'lblPicFile'].map(id => (e => "
                                  "[e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight])"
                                  "(document.getElementById(id)))")
        scene = (int(game.left), int(game.top), int(game.left) + SCENE[0], int(game.top) + SCENE[1])
        check_board_pixels(game.shot().crop(scene), labels, "the JavaScript shape's board")
        game.play(steps["letters"][:1])
        Game(browser, server.url).play(steps["letters"][:1], touch_letters="A")
        game.check_console(expected=REFUSED.get(engine, []))
        asked = [url for url in browser.requested() if not url.startswith("data:")]
        check(server.url + shape in asked, "the page asked for its JavaScript shape")
        check(all(url.startswith(server.url) for url in asked), "the page asked elsewhere: %s" % asked)
        if engine == "chromium":
            browser.wait_for(KEEPS_SHAPE)
            server.close()
            game = Game(browser, server.url)
            game.play(steps["letters"])
            captions = browser.evaluate("['Label1', 'lblPicFile'].map(id => document.getElementById(id).textContent)")
            check(captions == steps["finished"], "the closing lines offline: %s" % captions)


if __name__ == "__main__":
    engine, site, plan_program = sys.argv[1:]
    signal.signal(signal.SIGTERM, lambda *_: fail("ended by a signal"))
    with tempfile.TemporaryDirectory(prefix="zentrik-test-") as scratch:
        os.chmod(scratch, 0o755)
        os.environ["TMPDIR"] = tempfile.tempdir = scratch
        old_policy(engine, site, plan_program)
    print("1 passed, 0 failed")
