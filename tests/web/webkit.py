"""WebKitGTK's MiniBrowser (Debian's webkit2gtk-driver) on an X server of its
own, driven over W3C WebDriver by WebKitWebDriver, the nearest here to Safari
on an iPad.

Classic WebDriver has no console, no network log and no script to run before
the page's own: what the page says comes from the recorder a PageServer puts
first in the page (or, for other pages, installed after each load), and what
it asked for from the page's own Resource Timing.
"""

import base64
import json
import subprocess
import urllib.error
import urllib.request

from browser import ANSWER, NEXT_FRAME, RECORDER, Display, Driver, free_port, named, start, stop, wait_until

MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# Room for the largest viewport the tests ask for, with the browser's bar.
SCREEN = "2600x1800"
# The driver's own limits end a script or a load that does not end, with an
# answer that says so; this one, a little later, ends a wait for what has
# none, such as input to a page that no longer runs.
REQUEST = ANSWER + 10


class WebKit(Driver):
    driver = session = frame_index = None

    def start(self, width, height, desktop):
        self.display = Display(SCREEN, desktop)
        port = free_port()
        self.base = "http://127.0.0.1:%d" % port
        self.driver = start(["WebKitWebDriver", "--port=%d" % port], env=self.display.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def ready():
            try:
                return self.request("GET", "/status")["ready"]
            except OSError:
                return False
        wait_until(ready, "WebKitWebDriver")
        self.session = "/session/" + self.request("POST", "/session", {"capabilities": {"alwaysMatch": {
            "webkitgtk:browserOptions": {"binary": MINIBROWSER, "args": ["--automation"]},
            "timeouts": {"script": ANSWER * 1000, "pageLoad": ANSWER * 1000}}}})["sessionId"]
        # The viewport is the window less the browser's own bar, and the window
        # takes a new size in its own time: grow it by what the viewport lacks
        # until the viewport is the size asked for.
        self.command("POST", "/window/rect", {"width": width, "height": height})

        def fitted():
            inner = self.evaluate("[innerWidth, innerHeight]")
            if inner == [width, height]:
                return True
            outer = self.command("GET", "/window/rect")
            self.command("POST", "/window/rect", {"width": outer["width"] + width - inner[0],
                                                  "height": outer["height"] + height - inner[1]})
            return False
        wait_until(fitted, "MiniBrowser's viewport at %d x %d" % (width, height))

    def request(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=REQUEST) as answer:
                return json.load(answer)["value"]
        except urllib.error.HTTPError as error:
            raise RuntimeError("%s %s: %s" % (method, path, json.load(error)["value"])) from None
        except TimeoutError:
            raise TimeoutError("WebKit: no answer to %s within %d s" % (
                named("%s %s" % (method, path), body or {}), REQUEST)) from None

    def command(self, method, path, body=None):
        return self.request(method, self.session + path, body)

    def evaluate(self, expression):
        # A returned promise is awaited by the driver.
        return self.execute("return (%s);" % expression)

    def execute(self, script):
        # The driver rests on the top page, whose viewport input and
        # screenshots are in, and steps into the frame for each script.
        if self.frame_index is None:
            return self.command("POST", "/execute/sync", {"script": script, "args": []})
        self.command("POST", "/frame", {"id": self.frame_index})
        try:
            return self.command("POST", "/execute/sync", {"script": script, "args": []})
        finally:
            self.command("POST", "/frame", {"id": None})

    def frame(self, index):
        self.frame_index = index
        if index is not None:
            self.execute(RECORDER)

    def errors(self):
        return self.evaluate("window.zentrikSaid || []")

    def open(self, url):
        self.frame_index = None
        self.command("POST", "/url", {"url": url})
        self.execute(RECORDER)

    def png(self):
        # WebKit's screenshot can show a frame from before the last change:
        # the first of two shots a frame apart that agree.
        shots = [None]

        def agree():
            if shots[-1] is not None:
                self.evaluate(NEXT_FRAME)
            shots[:] = shots[-1], base64.b64decode(self.command("GET", "/screenshot"))
            return shots[0] == shots[1] and shots[1]
        return wait_until(agree, "two screenshots a frame apart that agree")

    def requested(self):
        return self.evaluate("[location.href, ...performance.getEntriesByType('resource').map(e => e.name)]")

    def hide(self):
        # Minimised, the window hides the page; brought back to its size,
        # it shows it again.
        rect = self.command("GET", "/window/rect")
        self.command("POST", "/window/minimize", {})
        self.wait_for("document.hidden")
        self.command("POST", "/window/rect", {"width": rect["width"], "height": rect["height"]})
        self.wait_for("!document.hidden")

    def perform(self, source):
        # Returns once the page has handled the release that ends the action.
        released = source["actions"][-1]["type"] in ("pointerUp", "keyUp")
        handled = self.evaluate("zentrikInputs") + 1
        self.command("POST", "/actions", {"actions": [source]})
        if released:
            self.wait_for("zentrikInputs >= %d" % handled)

    def close(self):
        try:
            if self.session:
                self.command("DELETE", "")
        finally:
            if self.driver:
                stop(self.driver)
            if self.display:
                self.display.close()
