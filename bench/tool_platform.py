"""The learning platform the LTI tool's bench launches both tools from: the
tests' platform (tests/tool/testplatform.py: its claims, its checks of the
authentication request, its token and score endpoints) made fast enough that
its own Python does not hide the tools' difference. Several processes share
one listening socket, so that Python's lock does not serialize the signing;
the JWKS is serialized once; each process writes the scores it is posted, with
the moment they arrived (CLOCK_MONOTONIC, the same in every process), to a
file of its own in the scores folder.

    tool_platform.py PROCESSES SCORES_FOLDER CLIENT_ID=TOOL_JWKS_URL...

Prints its origin on standard output once it listens on 127.0.0.1, and
serves until SIGTERM, which it passes to its processes."""

import hashlib
import hmac
import html
import http.server
import json
import os
import signal
import socket
import sys
import threading
import time
import urllib.parse
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "tool"))
import jwt  # noqa: E402
import testplatform  # noqa: E402

DEPLOYMENT = "deployment-1"
# A child's login_hint is this and the child's name; its sub is opaque.
CHILD = "child-"


def child_sub(login_hint):
    """The platform's opaque user id for a child, or None for no child."""
    return hashlib.sha256(login_hint.encode()).hexdigest()[:24] if login_hint.startswith(CHILD) else None


class BenchPlatform(testplatform.Platform):
    """The tests' platform with many children and many tools (by client id),
    and no server of its own: the processes below serve it."""

    deployment_id = DEPLOYMENT

    def __init__(self, origin, tools, scores_folder):
        self.key = testplatform.new_key()
        self.origin = origin
        self.issuer = origin
        self.auth_url = origin + "/auth"
        self.token_url = origin + "/token"
        self.jwks_url = origin + "/jwks"
        self.tools = tools
        self.scores_folder = scores_folder
        self.jwks_text = json.dumps(self.jwks())
        # Access tokens any process can check: an HMAC of a random id.
        self.token_secret = os.urandom(32)
        self.up = True
        self.turned_away = 0
        self.lock = threading.Lock()
        self.access_tokens = set()
        self.gradebook = {}
        self.scores_received = []
        # The tests' grant reads the client id and the tool's JWKS from the
        # platform: one grant at a time.
        self.grant_lock = threading.Lock()
        self.received = None

    def authorize(self, query):
        """The tests' checks of the authentication request, for any of the
        registered tools and any child; the form that posts the id_token."""
        expected = {"scope": "openid", "response_type": "id_token", "response_mode": "form_post", "prompt": "none"}
        sub = child_sub(query.get("login_hint", ""))
        wrong = [name for name, value in expected.items() if query.get(name) != value]
        if wrong or query.get("client_id") not in self.tools or not query.get("state") or not query.get("nonce") \
                or not sub or not query.get("redirect_uri"):
            return 400, "bad authentication request: %s" % (wrong or "client_id, state, nonce, login_hint")
        claims = self.claims(sub, query["nonce"], query["redirect_uri"])
        claims["aud"] = query["client_id"]
        fields = {"id_token": self.id_token(claims), "state": query["state"]}
        inputs = "".join('<input type="hidden" name="%s" value="%s">' % (name, html.escape(value))
                         for name, value in fields.items())
        return 200, ('<!DOCTYPE html><form method="post" action="%s">%s</form>'
                     '<script>document.forms[0].submit()</script>' % (html.escape(query["redirect_uri"]), inputs))

    def access_token(self, content_type, body):
        """The tests' client credentials grant, the assertion checked with
        the JWKS of the tool its client id names."""
        form = dict(urllib.parse.parse_qsl(body))
        try:
            client_id = jwt.decode(form.get("client_assertion", ""), options={"verify_signature": False})["iss"]
        except (jwt.PyJWTError, KeyError):
            return 400, {"error": "invalid_request"}
        if client_id not in self.tools:
            return 401, {"error": "invalid_client"}
        with self.grant_lock:
            self.client_id, self.tool_jwks_url = client_id, self.tools[client_id]
            status, answer = super().access_token(content_type, body)
        if status == 200:
            nonce = uuid.uuid4().hex
            answer["access_token"] = nonce + "." + hmac.new(self.token_secret, nonce.encode(), "sha256").hexdigest()
        return status, answer

    def score(self, authorization, content_type, body):
        """A score for the line item: the tests' checks, then its arrival
        written down."""
        token = (authorization or "").removeprefix("Bearer ")
        nonce, _, mac = token.partition(".")
        if not hmac.compare_digest(mac, hmac.new(self.token_secret, nonce.encode(), "sha256").hexdigest()):
            return 401, "no such access token"
        arrived = time.monotonic()
        with self.lock:
            self.access_tokens.add(token)
        status, text = super().score(authorization, content_type, body)
        if status == 200:
            score = json.loads(body)
            self.received.write("%s %d %.6f\n" % (score["userId"], score["scoreGiven"], arrived))
            self.received.flush()
        return status, text


def handler(platform):
    class Handler(http.server.BaseHTTPRequestHandler):
        # Keep-alive, as a platform's web server: each child's browser and
        # each tool's fetches keep their connections.
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            if url.path == "/jwks":
                self.answer(200, platform.jwks_text, "application/json")
            elif url.path == "/auth":
                self.answer(*platform.authorize(dict(urllib.parse.parse_qsl(url.query))), "text/html; charset=utf-8")
            else:
                self.answer(404, "not found", "text/plain")

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0"))).decode()
            if self.path == "/token":
                status, answer = platform.access_token(self.headers["Content-Type"], body)
                self.answer(status, json.dumps(answer), "application/json")
            elif self.path == "/lineitems/1/lineitem/scores":
                self.answer(*platform.score(self.headers.get("Authorization"), self.headers["Content-Type"], body),
                            "text/plain")
            else:
                self.answer(404, "not found", "text/plain")

        def answer(self, status, body, content_type):
            data = body.encode()
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

    return Handler


def serve(listener, platform):
    """One process's server on the shared socket, until SIGTERM."""
    platform.received = open(os.path.join(platform.scores_folder, "scores.%d" % os.getpid()), "w", encoding="utf-8")
    server = http.server.ThreadingHTTPServer(listener.getsockname(), handler(platform), bind_and_activate=False)
    server.socket.close()
    server.socket = listener
    server.daemon_threads = True
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    server.serve_forever()


def main():
    processes, scores_folder = int(sys.argv[1]), sys.argv[2]
    tools = dict(argument.split("=", 1) for argument in sys.argv[3:])
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1024)
    platform = BenchPlatform("http://127.0.0.1:%d" % listener.getsockname()[1], tools, scores_folder)
    workers = []
    for _ in range(processes):
        pid = os.fork()
        if pid == 0:
            serve(listener, platform)
        workers.append(pid)
    signal.signal(signal.SIGTERM, lambda *_: [os.kill(pid, signal.SIGTERM) for pid in workers])
    print(platform.origin, " ".join(map(str, workers)), flush=True)
    for pid in workers:
        while True:
            try:
                os.waitpid(pid, 0)
                break
            except InterruptedError:
                continue


if __name__ == "__main__":
    main()
