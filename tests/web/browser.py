"""A static server and a headless Chromium driven through the DevTools
protocol, each on a free port of this machine, for the page's tests."""

import base64
import http.server
import io
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time

import websocket
from PIL import Image


class Server:
    """Serves `folder` on 127.0.0.1. A path in `answers` gets the answer given
    there instead, (status, body), as a server that lacks the file or holds
    another would. Every request's path is kept in `paths`."""

    def __init__(self, folder, answers=None):
        self.paths = []
        self.answered = []  # (path, status)
        answers = answers or {}
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def do_GET(self):
                server.paths.append(self.path)
                answer = answers.get(self.path.lstrip("/"))
                if answer is None:
                    super().do_GET()
                elif answer[0] != 200:
                    self.send_error(answer[0])
                else:
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(answer[1])))
                    self.end_headers()
                    self.wfile.write(answer[1])

            def log_request(self, code="-", size="-"):
                server.answered.append((self.path, int(code)))

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium with one page, driven over the DevTools protocol."""

    def __init__(self, width, height, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="zentrik-chromium-")
        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-quic", "--hide-scrollbars", "--user-data-dir=" + self.profile,
             "--remote-debugging-port=0", *extra_flags, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not (os.path.exists(port_file) and open(port_file).read().count("\n") >= 1):
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise RuntimeError("chromium did not start")
            time.sleep(0.05)
        port = open(port_file).read().split("\n")[0]
        targets = json.load(__import__("urllib.request").request.urlopen(
            "http://127.0.0.1:%s/json/list" % port))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60)
        self.serial = 0
        self.unanswered = None
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.call("Network.enable")
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    def call(self, method, **params):
        self.drain()
        self.serial += 1
        self.socket.send(json.dumps({"id": self.serial, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.serial:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self.events.append(message)

    def send(self, method, **params):
        """Sends a command without waiting for its answer: many can be on
        their way at once, for drain() to collect."""
        self.serial += 1
        self.socket.send(json.dumps({"id": self.serial, "method": method, "params": params}))
        self.unanswered = self.serial

    def drain(self):
        """Waits for the answers to everything sent so far."""
        while self.unanswered:
            message = json.loads(self.socket.recv())
            if "error" in message:
                raise RuntimeError(message["error"])
            if message.get("id") == self.unanswered:
                self.unanswered = None
            elif "id" not in message:
                self.events.append(message)

    def errors(self):
        """What the page has thrown or said as an error or a warning so far."""
        self.evaluate("0")
        said = []
        for event in self.events:
            params = event.get("params", {})
            if event.get("method") == "Runtime.exceptionThrown":
                details = params["exceptionDetails"]
                said.append(details.get("exception", {}).get("description") or details["text"])
            elif event.get("method") == "Runtime.consoleAPICalled" and params["type"] in ("error", "warning"):
                said.append(" ".join(str(arg.get("value")) for arg in params["args"]))
            elif event.get("method") == "Log.entryAdded" and params["entry"]["level"] == "error" \
                    and params["entry"]["source"] != "network":
                # What the browser itself refused, such as a breach of the page's policy.
                said.append(params["entry"]["text"])
        return said

    def requested(self):
        """Every address the page has asked for so far."""
        self.evaluate("0")
        return [event["params"]["request"]["url"] for event in self.events
                if event.get("method") == "Network.requestWillBeSent"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, seconds=30):
        deadline = time.monotonic() + seconds
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                raise TimeoutError(expression)
            time.sleep(0.05)

    def open(self, url):
        """Navigates, and returns once the new document has loaded."""
        loads = self.count("Page.loadEventFired")
        self.call("Page.navigate", url=url)
        while self.count("Page.loadEventFired") == loads:
            self.events.append(json.loads(self.socket.recv()))

    def count(self, method):
        return sum(1 for event in self.events if event.get("method") == method)

    def screenshot(self):
        # A frame drawn after every input sent so far.
        self.evaluate("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
        data = self.call("Page.captureScreenshot", format="png")["data"]
        return Image.open(io.BytesIO(base64.b64decode(data))).convert("RGB")

    def mouse(self, kind, x, y, buttons=1, wait=True):
        (self.call if wait else self.send)(
            "Input.dispatchMouseEvent", type=kind, x=x, y=y,
            button="left" if kind != "mouseMoved" or buttons else "none",
            buttons=buttons, clickCount=1 if kind != "mouseMoved" else 0)

    def touch(self, kind, points, wait=True):
        (self.call if wait else self.send)(
            "Input.dispatchTouchEvent", type=kind,
            touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def key(self, key, code, key_code):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                      windowsVirtualKeyCode=key_code)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
            shutil.rmtree(self.profile, ignore_errors=True)
