"""A child's results reaching the platform's gradebook over real HTTP: the
tool on localhost, the tests' platform on 127.0.0.1 with its token and score
endpoints. The page's reports are posted as platforms/lti.js posts them.
Letter A reaches the gradebook as 4, InProgress; a report too fast, out of
order or with no token is refused; a letter built while the platform is down
is kept through a SIGKILL of the tool and arrives after its restart; A to Z
gives 100, Completed; a second, worse game sends nothing.

    gradebook_over_http.py ZENTRIK_TOOL

Exits 77 (skipped) where Debian's python3-jwt or python3-cryptography is
missing."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

try:
    import testplatform
except ImportError as error:
    print("skipped: %s (install python3-jwt and python3-cryptography)" % error)
    sys.exit(77)

from launch_over_http import TOOL, Browser, Tool, check, login

LETTERS = 26
# The tool's pace for a letter, and a little more for the way here.
LETTER_PACE = 0.35
# How long a score may take to reach the gradebook: the first retry after
# an outage comes 5 s after the failed try.
ARRIVAL_BOUND = 30


def launch(tool, platform):
    browser = Browser()
    form = login(browser, tool, platform)
    status, _, page = browser.request(form.action, form.fields)
    check(status == 200, "the launch answered %d: %s" % (status, page))
    return page.split('name="zentrik-play-token" content="')[1].split('"')[0]


def report(tool, token, built, letters=LETTERS):
    """The page's report, as lti.js sends it: the status and Retry-After."""
    request = urllib.request.Request(tool.base + "/progress", method="POST",
                                     data=json.dumps({"built": built, "letters": letters}).encode(),
                                     headers={"Content-Type": "application/json"})
    if token:
        request.add_header("Authorization", "Bearer " + token)
    try:
        with urllib.request.urlopen(request, timeout=30) as answer:
            return answer.status, None
    except urllib.error.HTTPError as answer:
        return answer.code, answer.headers.get("Retry-After")


def play(tool, token, built_range):
    for built in built_range:
        time.sleep(LETTER_PACE)
        status, _ = report(tool, token, built)
        check(status == 204, "the report of %d letters answered %d" % (built, status))


def arrives(platform, user, expected):
    deadline = time.monotonic() + ARRIVAL_BOUND
    while time.monotonic() < deadline:
        if platform.result(user) == expected:
            return
        time.sleep(0.1)
    raise AssertionError("the gradebook holds %s for the child, not %s" % (platform.result(user), expected))


def kill_and_restart(tool):
    """SIGKILL, as a crash or the machine's power would end it, then a
    start on the same folder and port."""
    tool.process.send_signal(signal.SIGKILL)
    tool.process.wait(timeout=30)
    tool.process = subprocess.Popen(
        [TOOL, "--port", str(tool.port), "--data", tool.data, "--pages", tool.pages, "--base-url", tool.base],
        stdout=tool.log, stderr=tool.log)
    check(tool.wait_until_listening(), "the tool did not start again on its port")


def main():
    platform = testplatform.Platform()
    child = platform.users["child-1"]
    with tempfile.TemporaryDirectory() as folder:
        tool = Tool(folder, platform)
        platform.tool_jwks_url = tool.base + "/.well-known/jwks.json"
        try:
            token = launch(tool, platform)
            check(report(tool, None, 0)[0] == 401, "a report without a play token was taken")
            play(tool, token, [0, 1])
            arrives(platform, child, (4, "InProgress"))

            # A line in the console: the next letter at once, or Z.
            status, retry_after = report(tool, token, 2)
            check(status == 429 and retry_after == "1", "a report too fast answered %d %s" % (status, retry_after))
            check(report(tool, token, LETTERS)[0] == 409, "a report skipping to Z was taken")
            check(report(tool, launch(tool, platform), 2)[0] == 409, "another launch's report was taken out of order")

            # B built while the platform is down; the tool killed with the
            # score in its outbox, started again, the platform up.
            platform.up = False
            play(tool, token, [2])
            waited = time.monotonic() + ARRIVAL_BOUND
            while not platform.turned_away and time.monotonic() < waited:
                time.sleep(0.05)
            check(platform.turned_away, "the tool did not try the platform while it was down")
            kill_and_restart(tool)
            platform.up = True
            arrives(platform, child, (8, "InProgress"))

            play(tool, token, range(3, LETTERS + 1))
            arrives(platform, child, (100, "Completed"))
            received = len(platform.scores_received)
            # A second game, worse: the tool queues nothing for it.
            play(tool, token, range(0, 4))
            tool.stop()
            log = tool.log_text()
            accepted = [line for line in log.splitlines() if line.startswith("event=progress outcome=accepted")]
            check(len(accepted) >= LETTERS + 4, "reports missing from the log")
            check(all("queued=no" in line for line in accepted[-4:]), "the worse game queued scores: %s" % accepted)
            check(len(platform.scores_received) == received, "the worse game reached the gradebook")
            # Every score the platform got, in the order it got them, said
            # no less than the one before: nothing went back.
            given = [score["scoreGiven"] for score in platform.scores_received]
            check(given == sorted(given), "the gradebook was sent a worse score: %s" % given)
            for secret in (token, child):
                check(secret not in log, "the log holds a token or a user id")
        finally:
            if tool.process.poll() is None:
                tool.stop()
            platform.stop()
    print("gradebook over HTTP: A, then B through an outage and a killed tool, then Z; a worse game sent nothing")


if __name__ == "__main__":
    main()
