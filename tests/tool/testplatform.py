"""A learning platform of the tests' own, apart from the tool: its own RSA
key and JWKS, and an authorization endpoint that answers the tool's
authentication request with a form_post of a signed id_token, as an LTI 1.3
platform does. Debian's python3-jwt signs, python3-cryptography makes the key.
It serves on 127.0.0.1, another site than the tool's localhost."""

import html
import http.server
import json
import threading
import time
import urllib.parse

import jwt
from cryptography.hazmat.primitives.asymmetric import rsa

LTI = "https://purl.imsglobal.org/spec/lti/claim/"


def new_key():
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


class Platform:
    client_id = "zentrik-client"
    deployment_id = "deployment-1"
    kid = "platform-key-1"
    # The platform's users by the login_hint it sends: the tool sees only sub.
    users = {"child-1": "7f3a9c2e-opaque"}

    def __init__(self):
        self.key = new_key()
        self.requests = []
        platform = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                url = urllib.parse.urlsplit(self.path)
                if url.path == "/jwks":
                    self.answer(200, "application/json", json.dumps(platform.jwks()))
                elif url.path == "/auth":
                    query = dict(urllib.parse.parse_qsl(url.query))
                    platform.requests.append(query)
                    status, body = platform.authorize(query)
                    self.answer(status, "text/html; charset=utf-8", body)
                else:
                    self.answer(404, "text/plain", "not found")

            def answer(self, status, content_type, body):
                data = body.encode()
                self.send_response(status)
                self.send_header("Content-Type", content_type)
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.origin = "http://127.0.0.1:%d" % self.server.server_address[1]
        self.issuer = self.origin
        self.auth_url = self.origin + "/auth"
        self.token_url = self.origin + "/token"
        self.jwks_url = self.origin + "/jwks"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()

    def jwks(self):
        jwk = json.loads(jwt.algorithms.RSAAlgorithm.to_jwk(self.key.public_key()))
        jwk.update(kid=self.kid, alg="RS256", use="sig")
        return {"keys": [jwk]}

    def claims(self, sub, nonce, target):
        now = int(time.time())
        return {
            "iss": self.issuer, "aud": self.client_id, "sub": sub, "iat": now, "exp": now + 300, "nonce": nonce,
            LTI + "message_type": "LtiResourceLinkRequest", LTI + "version": "1.3.0",
            LTI + "deployment_id": self.deployment_id, LTI + "target_link_uri": target,
            LTI + "roles": ["http://purl.imsglobal.org/vocab/lis/v2/membership#Learner"],
            LTI + "resource_link": {"id": "zentrik-link-1"},
        }

    def id_token(self, claims, key=None):
        return jwt.encode(claims, key or self.key, algorithm="RS256", headers={"kid": self.kid})

    def authorize(self, query):
        """The authentication request the tool sent the browser here with,
        checked as a platform checks it; a form the browser posts back."""
        expected = {"scope": "openid", "response_type": "id_token", "response_mode": "form_post",
                    "prompt": "none", "client_id": self.client_id}
        wrong = [name for name, value in expected.items() if query.get(name) != value]
        if wrong or not query.get("state") or not query.get("nonce") or query.get("login_hint") not in self.users:
            return 400, "bad authentication request: %s" % (wrong or "state, nonce or login_hint")
        token = self.id_token(self.claims(self.users[query["login_hint"]], query["nonce"], query["redirect_uri"]))
        fields = {"id_token": token, "state": query["state"]}
        inputs = "".join('<input type="hidden" name="%s" value="%s">' % (name, html.escape(value))
                         for name, value in fields.items())
        return 200, ('<!DOCTYPE html><form method="post" action="%s">%s</form>'
                     '<script>document.forms[0].submit()</script>' % (html.escape(query["redirect_uri"]), inputs))
