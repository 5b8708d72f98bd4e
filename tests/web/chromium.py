"""Chromium (Debian's chromium) with one page, driven over the DevTools
protocol: headless, or in a window on a desktop of its own."""

import base64
import json
import os
import subprocess
import tempfile
import time
import urllib.request

import websocket

from browser import ANSWER, Display, Driver, named, start, wait_until

KEYS = {"Enter": 13}
# What Chromium answers a question put to a frame's document that has just
# gone: its context, or its process's session.
FRAME_GONE = ("Cannot find context with specified id", "Execution context was destroyed",
              "Inspected target navigated or closed", "Session with given id not found")


class Chromium(Driver):
    def start(self, width, height, desktop):
        self.profile = tempfile.mkdtemp(prefix="zentrik-chromium-")
        self.display = Display("1280x1024", desktop=True) if desktop else None
        self.process = start(
            ["chromium"] + ([] if desktop else ["--headless"]) + ["--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-quic", "--hide-scrollbars", "--user-data-dir=" + self.profile,
             "--remote-debugging-port=0", "about:blank"],
            env=self.display.env if desktop else None, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")

        def port():
            if self.process.poll() is not None:
                raise RuntimeError("chromium did not start")
            lines = open(port_file).read().split("\n") if os.path.exists(port_file) else []
            return lines[0] if len(lines) > 1 else None
        targets = json.load(urllib.request.urlopen(
            "http://127.0.0.1:%s/json/list" % wait_until(port, "chromium's port"), timeout=ANSWER))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=ANSWER)
        self.serial = 0
        self.unanswered = None
        self.events = []
        # The frame evaluate() runs in (None: the top document), the session
        # of each frame that runs in a process of its own, by frame id, and
        # the commands whose answers nothing waits for.
        self.frame_id = None
        self.frame_sessions = {}
        self.unheard = set()
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.call(domain + ".enable")
        # A frame of another site runs in a process of its own (site
        # isolation), as a target of its own: attached as it starts and held
        # there until it tells what it says and asks for, from its first
        # request on.
        self.call("Target.setAutoAttach", autoAttach=True, waitForDebuggerOnStart=True, flatten=True)
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)
        if desktop:
            # The window in front takes the focus, as a child's click would give it.
            self.call("Page.bringToFront")

    def call(self, method, **params):
        return self.call_in(None, method, **params)

    def call_in(self, session, method, **params):
        """A command to the page's target, or with `session` to a frame's."""
        self.drain()
        self.serial += 1
        # The driver's own commands may take the next numbers meanwhile.
        serial = self.serial
        self.socket.send(json.dumps(dict({"id": serial, "method": method, "params": params},
                                         **({"sessionId": session} if session else {}))))
        deadline = time.monotonic() + ANSWER
        while True:
            message = self.heard(deadline, named(method, params))
            if message.get("id") == serial:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self.events.append(message)

    def heard(self, deadline, what):
        """The next message for the caller, once the driver has done its own
        part for it: a frame's target attached is told to report and to run."""
        while True:
            message = self.receive(deadline, what)
            if message.get("id") in self.unheard:
                self.unheard.discard(message["id"])
                continue
            params = message.get("params", {})
            if message.get("method") == "Target.attachedToTarget":
                session, target = params["sessionId"], params["targetInfo"]
                if target["type"] == "iframe":
                    self.frame_sessions[target["targetId"]] = session
                    for domain in ("Runtime", "Log", "Network"):
                        self.tell(session, domain + ".enable")
                # Whatever else the page starts (a worker) runs on, unwatched.
                if params["waitingForDebugger"]:
                    self.tell(session, "Runtime.runIfWaitingForDebugger")
            elif message.get("method") == "Target.detachedFromTarget":
                self.frame_sessions = {frame: session for frame, session in self.frame_sessions.items()
                                       if session != params["sessionId"]}
            return message

    def tell(self, session, method):
        """A command to a session whose answer nothing waits for; they come
        in the order sent."""
        self.serial += 1
        self.unheard.add(self.serial)
        self.socket.send(json.dumps({"id": self.serial, "method": method, "params": {}, "sessionId": session}))

    def send(self, method, **params):
        """Sends a command without waiting for its answer: many can be on
        their way at once, for drain() to collect."""
        self.serial += 1
        self.socket.send(json.dumps({"id": self.serial, "method": method, "params": params}))
        self.unanswered = self.serial

    def drain(self):
        """Waits for the answers to everything sent so far."""
        deadline = time.monotonic() + ANSWER
        while self.unanswered:
            message = self.heard(deadline, "the commands sent before")
            if "error" in message:
                raise RuntimeError(message["error"])
            if message.get("id") == self.unanswered:
                self.unanswered = None
            elif "id" not in message:
                self.events.append(message)

    def errors(self):
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
        self.evaluate("0")
        return [event["params"]["request"]["url"] for event in self.events
                if event.get("method") == "Network.requestWillBeSent"]

    def responses(self):
        """(address, status, headers with lower-case names) of every answer
        the page had, and the addresses of the requests that had none."""
        self.evaluate("0")
        answered = [(event["params"]["response"]["url"], event["params"]["response"]["status"],
                     {name.lower(): value for name, value in event["params"]["response"]["headers"].items()})
                    for event in self.events if event.get("method") == "Network.responseReceived"]
        sent = {event["params"]["requestId"]: event["params"]["request"]["url"] for event in self.events
                if event.get("method") == "Network.requestWillBeSent"}
        failed = [sent.get(event["params"]["requestId"]) for event in self.events
                  if event.get("method") == "Network.loadingFailed"]
        return answered, failed

    def service_workers(self, status):
        """The versions of the service workers the browser holds that are
        now in `status` ("activated" serves the pages, "installed" waits)."""
        if not any(event.get("method", "").startswith("ServiceWorker.") for event in self.events):
            self.call("ServiceWorker.enable")
        self.evaluate("0")
        latest = {}
        for event in self.events:
            if event.get("method") == "ServiceWorker.workerVersionUpdated":
                latest.update((version["versionId"], version["status"]) for version in event["params"]["versions"])
        return {version for version, now in latest.items() if now == status}

    def run_before_page(self, source):
        self.call("Page.addScriptToEvaluateOnNewDocument", source=source)
        return True

    def frame(self, index):
        self.frame_id = None
        if index is None:
            return
        # The frame's id, which it keeps from document to document and from
        # process to process: its element's in the top document.
        element = self.call("Runtime.evaluate", expression="document.querySelectorAll('iframe, frame')[%d]" % index)
        if "objectId" not in element["result"]:
            raise RuntimeError("Chromium: the page has no frame %d" % index)
        self.frame_id = self.call("DOM.describeNode", objectId=element["result"]["objectId"])["node"]["frameId"]

    def frame_document(self, deadline):
        """The session and the execution context of the frame's document:
        a frame of another site is a target of its own, one of this site runs
        in the page's process, with its contexts among the page's. Between
        two documents the frame has neither for a moment."""
        while True:
            if self.frame_id in self.frame_sessions:
                return self.frame_sessions[self.frame_id], {}
            gone = {event["params"]["executionContextId"] for event in self.events
                    if event.get("method") == "Runtime.executionContextDestroyed" and "sessionId" not in event}
            contexts = [event["params"]["context"]["id"] for event in self.events
                        if event.get("method") == "Runtime.executionContextCreated" and "sessionId" not in event
                        and event["params"]["context"]["auxData"].get("frameId") == self.frame_id
                        and event["params"]["context"]["auxData"].get("isDefault")]
            live = [context for context in contexts if context not in gone]
            if live:
                return None, {"contextId": live[-1]}
            if time.monotonic() > deadline:
                raise TimeoutError("Chromium: the frame has no document within %d s" % ANSWER)
            # Hears what came since.
            self.call("Runtime.evaluate", expression="0")
            time.sleep(0.05)

    def evaluate(self, expression):
        deadline = time.monotonic() + ANSWER
        while True:
            session, where = self.frame_document(deadline) if self.frame_id else (None, {})
            try:
                result = self.call_in(session, "Runtime.evaluate", expression=expression, returnByValue=True,
                                      awaitPromise=True, **where)
            except RuntimeError as error:
                # The frame went on to another document, maybe in another
                # process, while it was asked: the next document answers.
                if not self.frame_id or not any(text in str(error) for text in FRAME_GONE) \
                        or time.monotonic() > deadline:
                    raise
                continue
            if "exceptionDetails" in result:
                raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
            return result["result"].get("value")

    def open(self, url):
        self.frame_id = None
        loads = self.count("Page.loadEventFired")
        self.call("Page.navigate", url=url)
        deadline = time.monotonic() + ANSWER
        while self.count("Page.loadEventFired") == loads:
            self.events.append(self.heard(deadline, "the load of " + url))

    def count(self, method):
        return sum(1 for event in self.events if event.get("method") == method and "sessionId" not in event)

    def png(self):
        return base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])

    def mouse(self, path, release=True):
        if path[0] is not None:
            self.call("Input.dispatchMouseEvent", type="mousePressed", x=path[0][0], y=path[0][1], button="left",
                      buttons=1, clickCount=1)
        for x, y in path[1:]:
            self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button="left", buttons=1)
        if release:
            self.call("Input.dispatchMouseEvent", type="mouseReleased", x=path[-1][0], y=path[-1][1],
                      button="left", buttons=0, clickCount=1)

    def hide(self):
        # Another tab in front hides the page; closed, it shows the page again.
        tab = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.wait_for("document.hidden")
        self.call("Target.closeTarget", targetId=tab)
        self.wait_for("!document.hidden")

    def touch(self, path):
        self.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": path[0][0], "y": path[0][1]}])
        for x, y in path[1:]:
            self.call("Input.dispatchTouchEvent", type="touchMove", touchPoints=[{"x": x, "y": y}])
        self.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def key(self, name):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=name, code=name, windowsVirtualKeyCode=KEYS[name])
