"""Headless Firefox ESR (Debian's firefox-esr) with a fresh profile, driven
over WebDriver BiDi, the protocol it speaks on its remote debugging port."""

import base64
import json
import os
import re
import subprocess
import tempfile
import time

import websocket

from browser import ANSWER, Driver, named, start, wait_until


def value(remote):
    """A BiDi remote value as Python's."""
    kind, inner = remote["type"], remote.get("value")
    if kind in ("array", "set"):
        return [value(item) for item in inner]
    if kind == "object":
        return {key: value(item) for key, item in inner}
    if kind in ("undefined", "null"):
        return None
    return inner


# The content box of the top document's index-th frame, in whole pixels.
FRAME_BOX = ("(f => (r => [r.left + f.clientLeft, r.top + f.clientTop, f.clientWidth, f.clientHeight]"
             ".map(Math.round))(f.getBoundingClientRect()))(document.querySelectorAll('iframe, frame')[%d])")


class Firefox(Driver):
    def start(self, width, height, desktop):
        assert not desktop, "Firefox's window takes no focus under its remote agent"
        self.profile = tempfile.mkdtemp(prefix="zentrik-firefox-")
        log = os.path.join(self.profile, "firefox.log")
        # Port 0: Firefox takes a free one and says which.
        self.process = start(
            ["firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
             "--remote-debugging-port", "0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=open(log, "w"))

        def address():
            if self.process.poll() is not None:
                raise RuntimeError("firefox did not start")
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", open(log).read())
            return found and found.group(1)
        # Firefox refuses a connection that names an origin.
        self.socket = websocket.create_connection(wait_until(address, "firefox's port") + "/session",
                                                  timeout=ANSWER, suppress_origin=True)
        self.serial = 0
        self.events = []
        self.call("session.new", capabilities={})
        self.context = self.target = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("session.subscribe", events=["log.entryAdded", "network.beforeRequestSent"])
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height}, devicePixelRatio=1)

    def call(self, method, **params):
        self.serial += 1
        self.socket.send(json.dumps({"id": self.serial, "method": method, "params": params}))
        deadline = time.monotonic() + ANSWER
        while True:
            message = self.receive(deadline, named(method, params))
            if message.get("id") == self.serial:
                if message["type"] == "error":
                    raise RuntimeError("%s: %s" % (method, message.get("message") or message["error"]))
                return message["result"]
            self.events.append(message)

    def errors(self):
        self.evaluate("0")
        return [event["params"]["text"] for event in self.events
                if event.get("method") == "log.entryAdded" and event["params"]["level"] in ("error", "warn")]

    def requested(self):
        self.evaluate("0")
        return [event["params"]["request"]["url"] for event in self.events
                if event.get("method") == "network.beforeRequestSent"]

    def evaluate(self, expression, context=None):
        result = self.call("script.evaluate", expression=expression, target={"context": context or self.target},
                           awaitPromise=True, resultOwnership="none")
        if result["type"] == "exception":
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]["text"]))
        return value(result["result"])

    def frame(self, index):
        self.target = self.context
        self.frame_index = index
        if index is not None:
            tree = self.call("browsingContext.getTree", root=self.context)["contexts"][0]
            self.target = tree["children"][index]["context"]

    def open(self, url):
        self.target = self.context
        self.call("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def png(self):
        return base64.b64decode(self.call("browsingContext.captureScreenshot", context=self.context)["data"])

    def hide(self):
        # Another tab in front hides the page; closed, it shows the page again.
        tab = self.call("browsingContext.create", type="tab")["context"]
        self.wait_for("document.hidden")
        self.call("browsingContext.close", context=tab)
        self.call("browsingContext.activate", context=self.context)
        self.wait_for("!document.hidden")

    def perform(self, source):
        # Firefox dispatches input in the process of the context it is
        # given: the top page's input never reaches a frame of another site,
        # which runs in a process of its own. Input that stays within the
        # frame goes to the frame, at its place there.
        context = self.context
        if self.target != self.context and source["type"] == "pointer":
            left, top, width, height = self.evaluate(FRAME_BOX % self.frame_index, self.context)
            moves = [action for action in source["actions"] if action["type"] == "pointerMove"]
            if all(0 <= move["x"] - left < width and 0 <= move["y"] - top < height for move in moves):
                context = self.target
                source = dict(source, actions=[
                    dict(action, x=action["x"] - left, y=action["y"] - top) if action["type"] == "pointerMove"
                    else action for action in source["actions"]])
        self.call("input.performActions", context=context, actions=[source])
