"""WebKitGTK's MiniBrowser (Debian's webkit2gtk-driver) on an Xvfb of its own,
driven over W3C WebDriver by WebKitWebDriver, the nearest here to Safari on
an iPad.

Classic WebDriver has no console and no network log: errors() reads what a
script installed right after each load caught (errors thrown while the page
loads are missed, though a page that failed to start never shows its scene),
requested() cannot be had, and there is no script to run before the page's own.
"""

import base64
import json
import os
import subprocess
import urllib.error
import urllib.request

from browser import Driver, free_port, stop, wait_until

MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# Room for the largest viewport the tests ask for, with the browser's bar.
SCREEN = "2600x1800x24"

# Installed after each load: keeps what the page says, and counts the input
# the page has been given, for WebKit's driver answers an action before the
# page has handled it.
LISTEN = """
if (!window.zentrikSaid) {
    window.zentrikSaid = [];
    window.zentrikInputs = 0;
    for (const type of ['pointerup', 'keyup'])
        addEventListener(type, () => zentrikInputs++, true);
    addEventListener('error', e => zentrikSaid.push(String(e.message)));
    addEventListener('unhandledrejection', e => zentrikSaid.push(String(e.reason)));
    for (const level of ['error', 'warn']) {
        const say = console[level];
        console[level] = (...args) => { zentrikSaid.push(args.join(' ')); say.apply(console, args); };
    }
}
"""


class WebKit(Driver):
    hears_start = False

    def __init__(self, width, height):
        self.xvfb = self.driver = self.session = self.frame_index = None
        try:
            self.start(width, height)
        except BaseException:
            self.close()
            raise

    def start(self, width, height):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN, "-nolisten", "tcp"],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            display = ":" + number.readline().strip()
        port = free_port()
        self.base = "http://127.0.0.1:%d" % port
        self.driver = subprocess.Popen(["WebKitWebDriver", "--port=%d" % port],
                                       env=dict(os.environ, DISPLAY=display),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def ready():
            try:
                return self.request("GET", "/status")["ready"]
            except OSError:
                return False
        wait_until(ready, "WebKitWebDriver")
        self.session = "/session/" + self.request("POST", "/session", {"capabilities": {"alwaysMatch": {
            "webkitgtk:browserOptions": {"binary": MINIBROWSER, "args": ["--automation"]}}}})["sessionId"]
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
            with urllib.request.urlopen(request, timeout=120) as answer:
                return json.load(answer)["value"]
        except urllib.error.HTTPError as error:
            raise RuntimeError("%s %s: %s" % (method, path, json.load(error)["value"])) from None

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
            self.execute(LISTEN)

    def errors(self):
        return self.evaluate("window.zentrikSaid || []")

    def open(self, url):
        self.frame_index = None
        self.command("POST", "/url", {"url": url})
        self.execute(LISTEN)

    def png(self):
        # WebKit's screenshot can show a frame from before the last change:
        # the first of two shots a frame apart that agree.
        shot = None
        while True:
            previous, shot = shot, base64.b64decode(self.command("GET", "/screenshot"))
            if shot == previous:
                return shot
            self.evaluate("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")

    def perform(self, source):
        # Returns once the page has handled the release that ends the action.
        handled = self.evaluate("zentrikInputs") + 1
        self.command("POST", "/actions", {"actions": [source]})
        self.wait_for("zentrikInputs >= %d" % handled)

    def close(self):
        try:
            if self.session:
                self.command("DELETE", "")
        finally:
            for process in (self.driver, self.xvfb):
                if process:
                    stop(process)
