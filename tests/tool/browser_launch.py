"""The game launched from the tests' platform in a browser engine, in the
platform's frame as a child opens it: the course page on 127.0.0.1, the tool
on localhost, another site, so the frame is third-party. The frame goes
from the tool's login to the platform's authorization endpoint, to the
launch and to the game's page; letters built there by real input reach the
platform's gradebook through the tool. LtiLetterA plays A in any engine,
LtiWholeGame A to Z and then, launched again, a worse game that changes
nothing in the gradebook.

    browser_launch.py ZENTRIK_TOOL ENGINE TEST LTI_PAGES WEB_PLAN

LTI_PAGES is the page folder make web puts together for the tool
(build-wasm/lti). Chromium keeps the login in the tool's partitioned
cookie; Firefox and WebKit are launched from a platform that offers its
postMessage storage. Exits 77 (skipped) where the engine, Debian's
python3-jwt or the page folder is missing."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "web"))

# Skips (77) where python3-jwt or python3-cryptography is missing.
from launch_over_http import EXIT_CANNOT_LISTEN, TOOL, Tool, free_port  # noqa: E402
import testplatform  # noqa: E402

from browser import RECORDER, PageServer, launch  # noqa: E402
from playthrough import Game, check, fail, plan, skip  # noqa: E402
from webkit import MINIBROWSER  # noqa: E402

# What each engine needs on the machine.
PROGRAMS = {"chromium": ["chromium"], "firefox": ["firefox-esr"], "webkit": ["WebKitWebDriver", MINIBROWSER]}
# The engines launched from a platform that offers its storage, which the
# tool needs where a browser keeps no cookie for another site's frame
# (WebKit); Chromium's launch rests on the tool's partitioned cookie alone.
WITH_STORAGE = ("firefox", "webkit")
# How long a score may take to reach the gradebook, and the tool to take
# the page's reports: it sends a score as soon as it is queued.
ARRIVAL_BOUND = 30


class PagesTool(Tool):
    """The tool as the other tests start it, serving `pages`."""

    def __init__(self, folder, platform, pages):
        self.data = os.path.join(folder, "data")
        self.pages = pages
        os.mkdir(self.data)
        self.log = open(os.path.join(folder, "tool.log"), "w+", encoding="utf-8")
        # A port freed for us can be taken before the tool binds it: it says
        # so by its status, and takes another.
        for _ in range(5):
            self.port = free_port()
            self.base = "http://localhost:%d" % self.port
            registered = self.run("register", "--issuer", platform.issuer, "--client-id", platform.client_id,
                                  "--auth-url", platform.auth_url, "--token-url", platform.token_url,
                                  "--jwks-url", platform.jwks_url, "--deployment", platform.deployment_id)
            check(registered.returncode == 0, "register failed: %s" % registered.stderr)
            self.process = subprocess.Popen(
                [TOOL, "--port", str(self.port), "--data", self.data, "--pages", self.pages, "--base-url", self.base],
                stdout=self.log, stderr=self.log)
            if self.wait_until_listening():
                return
        fail("the tool found no port to listen on (status %d)" % EXIT_CANNOT_LISTEN)

    def events(self, *starts):
        return [line for line in self.log_text().splitlines() if line.startswith(starts)]


class Course:
    """The platform's course page in `browser`, its frame launched and the
    game ready there."""

    def __init__(self, browser, tool, platform, storage):
        self.browser, self.tool, self.platform, self.storage = browser, tool, platform, storage
        try:
            self.game = Game(browser, platform.course_url(storage), framed=True)
        except (TimeoutError, SystemExit) as error:
            fail("the launch in the frame did not reach the game: %s\n%s" % (error, self.where()))

    def where(self):
        """Which step of the launch the frame stands at: its document, what
        the tool logged and what the platform was asked."""
        self.browser.frame(0)
        try:
            shown = self.browser.evaluate("[location.href, document.title, "
                                          "(document.body ? document.body.innerText : '').slice(0, 400)]")
        except (RuntimeError, TimeoutError) as error:
            shown = "no document (%s)" % error
        lines = self.tool.events("event=login", "event=launch", "event=request", "event=error")
        return "the frame shows: %s\nthe tool logged:\n%s\nthe platform's authorization endpoint was asked %d times" % (
            shown, "\n".join(lines) or "(nothing)", len(self.platform.requests))

    def check_sites(self):
        """The frame holds the tool's page, of another site than the top's,
        and (with storage) kept its login in the platform's page."""
        self.browser.frame(0)
        inside = self.browser.evaluate("location.origin")
        self.browser.frame(None)
        top = self.browser.evaluate("location.origin")
        check(inside == self.tool.base and top == self.platform.origin,
              "the frame at %s in a page at %s" % (inside, top))
        if self.storage:
            # The login kept there; the launch reads it back where the
            # browser kept no cookie for the frame.
            heard = self.browser.evaluate("lti_messages_heard.map(m => m.origin + ' ' + m.subject)")
            check(self.tool.base + " lti.put_data" in heard,
                  "the tool's frame kept nothing in the platform's page: %s" % heard)
        if hasattr(self.browser, "frame_sessions"):
            # Site isolation runs the tool's frame in a process of its own.
            self.browser.frame(0)
            check(self.browser.frame_id in self.browser.frame_sessions, "the tool's frame runs in the page's process")
        self.browser.frame(0)

    def check_quiet(self):
        """Nothing unexpected in the console, and nothing asked of a third host."""
        self.game.check_console()
        asked = self.browser.requested()
        elsewhere = [url for url in asked if not url.startswith((self.tool.base + "/", self.platform.origin + "/",
                                                                 "data:", "blob:"))]
        check(not elsewhere, "the launch asked elsewhere: %s" % elsewhere)


def recorded_copy(pages, folder):
    """The page folder at `folder` with the tests' recorder run first in its
    page, as a PageServer runs it: what the launched page says is heard from
    its start in every engine, WebKit's driver having no console."""
    shutil.copytree(pages, folder)
    with open(os.path.join(folder, PageServer.FIRST), "w", encoding="utf-8") as first:
        first.write(RECORDER)
    index = os.path.join(folder, "index.html")
    with open(index, encoding="utf-8") as file:
        page = file.read()
    check("<head>" in page, "the page has no <head>")
    with open(index, "w", encoding="utf-8") as file:
        file.write(page.replace("<head>", '<head>\n<script src="%s"></script>' % PageServer.FIRST, 1))
    return folder


def arrives(platform, expected):
    user = platform.users["child-1"]
    deadline = time.monotonic() + ARRIVAL_BOUND
    while platform.result(user) != expected:
        if time.monotonic() > deadline:
            fail("the gradebook holds %s for the child, not %s" % (platform.result(user), expected))
        time.sleep(0.1)


def letter_a(engine, tool, platform, steps):
    """Letter A in the frame, and 4, InProgress in the gradebook."""
    with launch(engine, 1280, 900) as browser:
        course = Course(browser, tool, platform, engine in WITH_STORAGE)
        course.check_sites()
        course.game.play(steps["letters"][:1])
        arrives(platform, (4, "InProgress"))
        course.check_quiet()


def whole_game(engine, tool, platform, steps):
    """A to Z: 100, Completed; then a new launch of the course page whose
    game builds A alone changes nothing in the gradebook."""
    with launch(engine, 1280, 900) as browser:
        course = Course(browser, tool, platform, False)
        course.check_sites()
        course.game.play(steps["letters"])
        arrives(platform, (100, "Completed"))
        course.check_quiet()
        received = len(platform.scores_received)
        reported = len(tool.events("event=progress outcome=accepted"))

        course = Course(browser, tool, platform, False)
        course.game.play(steps["letters"][:1])
        # The new game's start and its A, taken by the tool: neither beats
        # the best, so neither is queued for the gradebook.
        deadline = time.monotonic() + ARRIVAL_BOUND
        while len(tool.events("event=progress outcome=accepted")) < reported + 2:
            if time.monotonic() > deadline:
                fail("the tool did not take the second game's reports: %s" % tool.events("event=progress")[-4:])
            time.sleep(0.1)
        second = tool.events("event=progress outcome=accepted")[reported:]
        check(all("queued=no" in line for line in second), "the worse game queued scores: %s" % second)
        check(len(platform.scores_received) == received and
              platform.result(platform.users["child-1"]) == (100, "Completed"),
              "the worse game reached the gradebook: %s" % platform.scores_received[received:])
        course.check_quiet()


TESTS = {"LtiLetterA": letter_a, "LtiWholeGame": whole_game}


def main():
    engine, test, pages, plan_program = sys.argv[2:]
    missing = [program for program in PROGRAMS[engine] if not shutil.which(program) and not os.path.isfile(program)]
    if missing:
        skip("no %s on this machine" % ", ".join(missing))
    if not os.path.isfile(os.path.join(pages, "index.html")):
        skip("no page in %s: make web puts it together" % pages)
    # Ended by a time limit's signal, the test still ends its browser, the
    # tool and the platform, and removes its files.
    signal.signal(signal.SIGTERM, lambda *_: fail("ended by a signal"))
    steps = plan(plan_program)
    platform = testplatform.Platform()
    with tempfile.TemporaryDirectory(prefix="zentrik-test-") as scratch:
        # Open to the browsers' helpers, as /tmp is.
        os.chmod(scratch, 0o755)
        os.environ["TMPDIR"] = tempfile.tempdir = scratch
        tool = PagesTool(scratch, platform, recorded_copy(pages, os.path.join(scratch, "pages")))
        platform.tool_jwks_url = tool.base + "/.well-known/jwks.json"
        platform.tool_url = tool.base
        try:
            TESTS[test](engine, tool, platform, steps)
            tool.stop()
            log = tool.log_text()
            for secret in (platform.users["child-1"], "child-1"):
                check(secret not in log, "the tool's log names the child")
        finally:
            if tool.process.poll() is None:
                tool.process.kill()
                tool.process.wait()
            platform.stop()
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
