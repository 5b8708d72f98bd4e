"""A learning platform of the tests' own, apart from the tool: its own RSA
key and JWKS, and an authorization endpoint that answers the tool's
authentication request with a form_post of a signed id_token, as an LTI 1.3
platform does. Debian's python3-jwt signs, python3-cryptography makes the key.
It serves on 127.0.0.1, another site than the tool's localhost."""

import base64
import hashlib
import html
import http.server
import json
import threading
import time
import urllib.parse
import uuid

import jwt
from cryptography.hazmat.primitives.asymmetric import rsa

# LTI's own names are addresses under one, as platforms send them.
LTI_NAMES = "https://purl.imsglobal.org/spec/"
LTI = LTI_NAMES + "lti/claim/"
DEEP_LINKING = LTI_NAMES + "lti-dl/claim/"
TOOL_CONFIGURATION = LTI_NAMES + "lti-tool-configuration"
PLATFORM_CONFIGURATION = LTI_NAMES + "lti-platform-configuration"
AGS = LTI_NAMES + "lti-ags/claim/"
AGS_SCOPE = LTI_NAMES + "lti-ags/scope/"
SCORE_SCOPE = AGS_SCOPE + "score"
# The login's lti_message_hint that asks for the content chooser.
CHOOSE_CONTENT = "choose-content"
# The course page's lti_message_hint: the child's link to the game.
COURSE_LINK = "course-link"
# What LTI's client-side postMessage storage asks of a platform, as the
# course page answers it.
STORAGE_SUBJECTS = ("lti.capabilities", "lti.put_data", "lti.get_data")

# The course page with the tool's frame, as a platform shows a child its
# link to the game: the frame starts at the tool's login initiation. It
# stands at whole pixels, where the tests read the game's pixels.
COURSE_STYLE = ("body { margin: 0; font: 16px sans-serif; } "
                "h1 { margin: 0; padding: 0 100px; height: 80px; line-height: 80px; font-size: 24px; } "
                "iframe { display: block; margin-left: 100px; width: 1024px; height: 768px; border: 1px solid #888; }")
COURSE_PAGE = """<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8"><title>もじの べんきょう</title>
<style>%s</style>%%s</head>
<body><h1>アルファベット</h1>
<iframe src="%%s" title="Zentrik"></iframe>
</body></html>
""" % COURSE_STYLE
# The platform's side of LTI's client-side postMessage storage, run before
# the frame exists so that no message of the tool's comes unanswered. Only
# the course page's frame is answered, to its own origin, and each origin's
# values are apart from every other's; they live as long as the page.
# Every message heard is kept in lti_messages_heard for the tests.
PLATFORM_STORAGE = """'use strict';
window.lti_messages_heard = [];
(function () {
    const stored = new Map();
    const SUPPORTED = %s;

    function answer(request, values) {
        const response = {subject: request.subject + '.response', message_id: request.message_id};
        const keyed = request.subject === 'lti.put_data' || request.subject === 'lti.get_data';
        if (request.subject === 'lti.capabilities') {
            response.supported_messages = SUPPORTED.map(subject => ({subject: subject}));
        } else if (!SUPPORTED.includes(request.subject)) {
            response.error = {code: 'unsupported_subject', message: 'not offered here: ' + request.subject};
        } else if (keyed && (typeof request.key !== 'string' || !request.key)) {
            response.error = {code: 'bad_request', message: 'no key'};
        } else if (request.subject === 'lti.put_data') {
            values.set(request.key, request.value);
            response.key = request.key;
            response.value = request.value;
        } else if (values.has(request.key)) {
            response.key = request.key;
            response.value = values.get(request.key);
        } else {
            response.error = {code: 'bad_request', message: 'no value for the key ' + request.key};
        }
        return response;
    }

    addEventListener('message', event => {
        const frame = document.querySelector('iframe');
        const request = event.data;
        if (!frame || event.source !== frame.contentWindow || event.origin === 'null' || !request
                || typeof request !== 'object' || typeof request.subject !== 'string'
                || !request.subject.startsWith('lti.') || request.subject.endsWith('.response'))
            return;
        window.lti_messages_heard.push({origin: event.origin, subject: request.subject});
        if (!stored.has(event.origin))
            stored.set(event.origin, new Map());
        event.source.postMessage(answer(request, stored.get(event.origin)), event.origin);
    });
})();
""" % json.dumps(STORAGE_SUBJECTS)


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
        # What the tool posted: its registrations, and the deep-linking
        # responses, each verified with the tool's JWKS.
        self.registrations = []
        self.deep_link_responses = []
        self.registration_token = "registration-token-" + uuid.uuid4().hex
        self.tool_jwks_url = None
        # Where the course page's frame finds the tool (its base URL).
        self.tool_url = None
        # The gradebook: each user's result as the platform keeps it (the
        # newest by its timestamp), every score posted to it, the access
        # tokens given, and whether the token and score endpoints answer
        # (down: 503, counted).
        self.gradebook = {}
        self.scores_received = []
        self.access_tokens = set()
        self.up = True
        self.turned_away = 0
        self.lock = threading.Lock()
        platform = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                url = urllib.parse.urlsplit(self.path)
                if url.path == "/jwks":
                    self.answer(200, "application/json", json.dumps(platform.jwks()))
                elif url.path == "/.well-known/openid-configuration":
                    # Given only with the registration token, as some platforms do.
                    if self.headers.get("Authorization") != "Bearer " + platform.registration_token:
                        self.answer(401, "application/json", json.dumps({"error": "invalid_token"}))
                    else:
                        self.answer(200, "application/json", json.dumps(platform.openid_configuration()))
                elif url.path == "/course":
                    storage = "storage" in urllib.parse.parse_qs(url.query, keep_blank_values=True)
                    page, policy = platform.course_page(storage)
                    self.answer(200, "text/html; charset=utf-8", page, {"Content-Security-Policy": policy})
                elif url.path == "/platform-storage.js":
                    self.answer(200, "text/javascript", PLATFORM_STORAGE)
                elif url.path == "/auth":
                    query = dict(urllib.parse.parse_qsl(url.query))
                    platform.requests.append(query)
                    status, body = platform.authorize(query)
                    self.answer(status, "text/html; charset=utf-8", body)
                else:
                    self.answer(404, "text/plain", "not found")

            def do_POST(self):
                body = self.rfile.read(int(self.headers.get("Content-Length", "0"))).decode()
                if self.path == "/register":
                    status, answer = platform.register(self.headers.get("Authorization"), self.headers["Content-Type"],
                                                       body)
                    self.answer(status, "application/json", json.dumps(answer))
                elif self.path == "/deep-link-return":
                    status, text = platform.receive_deep_link(dict(urllib.parse.parse_qsl(body)))
                    self.answer(status, "text/plain", text)
                elif self.path == "/token":
                    status, answer = platform.access_token(self.headers["Content-Type"], body)
                    self.answer(status, "application/json", json.dumps(answer))
                elif self.path == "/lineitems/1/lineitem/scores":
                    status, text = platform.score(self.headers.get("Authorization"), self.headers["Content-Type"],
                                                  body)
                    self.answer(status, "text/plain", text)
                else:
                    self.answer(404, "text/plain", "not found")

            def answer(self, status, content_type, body, headers=None):
                data = body.encode()
                self.send_response(status)
                self.send_header("Content-Type", content_type)
                self.send_header("Content-Length", str(len(data)))
                for name, value in (headers or {}).items():
                    self.send_header(name, value)
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

    def course_url(self, storage=False):
        """The course page; with `storage`, it offers the tool its
        postMessage storage."""
        return self.origin + "/course" + ("?storage" if storage else "")

    def login_url(self, storage):
        """The tool's login initiation for the child's link to the game."""
        query = {"iss": self.issuer, "login_hint": "child-1", "target_link_uri": self.tool_url + "/launch",
                 "client_id": self.client_id, "lti_deployment_id": self.deployment_id,
                 "lti_message_hint": COURSE_LINK}
        if storage:
            # The frame's messages go to the window that holds it.
            query["lti_storage_target"] = "_parent"
        return self.tool_url + "/login?" + urllib.parse.urlencode(query)

    def course_page(self, storage):
        """The page and its policy: its own script alone, and a frame that
        goes nowhere but to the tool and back here (the authorization
        endpoint)."""
        script = '<script src="/platform-storage.js"></script>' if storage else ""
        style = base64.b64encode(hashlib.sha256(COURSE_STYLE.encode()).digest()).decode()
        policy = ("default-src 'none'; script-src 'self'; style-src 'sha256-%s'; img-src 'self'; "
                  "frame-src 'self' %s" % (style, self.tool_url))
        return COURSE_PAGE % (script, html.escape(self.login_url(storage))), policy

    def claims(self, sub, nonce, target):
        now = int(time.time())
        return {
            "iss": self.issuer, "aud": self.client_id, "sub": sub, "iat": now, "exp": now + 300, "nonce": nonce,
            LTI + "message_type": "LtiResourceLinkRequest", LTI + "version": "1.3.0",
            LTI + "deployment_id": self.deployment_id, LTI + "target_link_uri": target,
            LTI + "roles": ["http://purl.imsglobal.org/vocab/lis/v2/membership#Learner"],
            LTI + "resource_link": {"id": "zentrik-link-1"},
            AGS + "endpoint": {"scope": [SCORE_SCOPE, AGS_SCOPE + "lineitem"], "lineitems": self.origin + "/lineitems",
                               "lineitem": self.origin + "/lineitems/1/lineitem"},
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
        claims = self.claims(self.users[query["login_hint"]], query["nonce"], query["redirect_uri"])
        if query.get("lti_message_hint") == CHOOSE_CONTENT:
            claims = self.deep_linking_claims(claims)
        token = self.id_token(claims)
        fields = {"id_token": token, "state": query["state"]}
        inputs = "".join('<input type="hidden" name="%s" value="%s">' % (name, html.escape(value))
                         for name, value in fields.items())
        return 200, ('<!DOCTYPE html><form method="post" action="%s">%s</form>'
                     '<script>document.forms[0].submit()</script>' % (html.escape(query["redirect_uri"]), inputs))

    def deep_linking_claims(self, claims):
        """A teacher's content chooser: no resource link yet, and where the
        tool's choice goes back to."""
        del claims[LTI + "resource_link"]
        claims[LTI + "message_type"] = "LtiDeepLinkingRequest"
        claims[DEEP_LINKING + "deep_linking_settings"] = {
            "deep_link_return_url": self.origin + "/deep-link-return", "accept_types": ["link", "ltiResourceLink"],
            "accept_presentation_document_targets": ["iframe", "window"], "data": "chooser-" + claims["nonce"]}
        return claims

    def receive_deep_link(self, form):
        """The tool's LtiDeepLinkingResponse, checked as a platform checks it:
        signed by a key of the tool's JWKS, from the tool's client id to this
        platform, fresh."""
        token = form.get("JWT", "")
        try:
            key = jwt.PyJWKClient(self.tool_jwks_url).get_signing_key_from_jwt(token).key
            claims = jwt.decode(token, key, algorithms=["RS256"], audience=self.issuer, issuer=self.client_id,
                                options={"require": ["exp", "iat", "nonce"]})
        except jwt.PyJWTError as error:
            return 400, "bad deep-linking response: %s" % error
        self.deep_link_responses.append(claims)
        return 200, "received"

    def openid_configuration(self):
        return {
            "issuer": self.issuer, "authorization_endpoint": self.auth_url, "token_endpoint": self.token_url,
            "jwks_uri": self.jwks_url, "registration_endpoint": self.origin + "/register",
            "token_endpoint_auth_methods_supported": ["private_key_jwt"],
            "token_endpoint_auth_signing_alg_values_supported": ["RS256"],
            "scopes_supported": ["openid", SCORE_SCOPE],
            "response_types_supported": ["id_token"], "id_token_signing_alg_values_supported": ["RS256"],
            "claims_supported": ["iss", "sub"], "subject_types_supported": ["public", "pairwise"],
            PLATFORM_CONFIGURATION: {
                "product_family_code": "zentrik-tests", "version": "1",
                "messages_supported": [{"type": "LtiResourceLinkRequest"}, {"type": "LtiDeepLinkingRequest"}]},
        }

    def register(self, authorization, content_type, body):
        """The tool's registration, taken as a platform takes it: with this
        platform's registration token, as JSON; the answer is the
        registration with a new client id and deployment, which this
        platform's launches use from then on."""
        if authorization != "Bearer " + self.registration_token or content_type != "application/json":
            return 401, {"error": "invalid_token"}
        tool = json.loads(body)
        configuration = tool.get(TOOL_CONFIGURATION, {})
        if tool.get("token_endpoint_auth_method") != "private_key_jwt" or "initiate_login_uri" not in tool \
                or not configuration.get("target_link_uri"):
            return 400, {"error": "invalid_client_metadata"}
        self.registrations.append(tool)
        self.tool_jwks_url = tool["jwks_uri"]
        self.client_id = "registered-%d" % len(self.registrations)
        self.deployment_id = "registered-deployment-%d" % len(self.registrations)
        configuration = dict(configuration, deployment_id=self.deployment_id)
        return 201, dict(tool, client_id=self.client_id, **{TOOL_CONFIGURATION: configuration})

    def access_token(self, content_type, body):
        """The tool's client credentials grant: a client assertion signed by a
        key of the tool's JWKS, from its client id to this token endpoint."""
        if not self.up:
            self.turned_away += 1
            return 503, {"error": "temporarily_unavailable"}
        form = dict(urllib.parse.parse_qsl(body))
        expected = {"grant_type": "client_credentials",
                    "client_assertion_type": "urn:ietf:params:oauth:client-assertion-type:jwt-bearer"}
        if content_type != "application/x-www-form-urlencoded" or any(form.get(k) != v for k, v in expected.items()) \
                or SCORE_SCOPE not in form.get("scope", "").split():
            return 400, {"error": "invalid_request"}
        try:
            assertion = form.get("client_assertion", "")
            key = jwt.PyJWKClient(self.tool_jwks_url).get_signing_key_from_jwt(assertion).key
            claims = jwt.decode(assertion, key, algorithms=["RS256"], audience=self.token_url,
                                issuer=self.client_id, options={"require": ["exp", "iat", "jti", "sub"]})
        except jwt.PyJWTError as error:
            return 401, {"error": "invalid_client", "error_description": str(error)}
        if claims["sub"] != self.client_id:
            return 401, {"error": "invalid_client"}
        token = "access-" + uuid.uuid4().hex
        with self.lock:
            self.access_tokens.add(token)
        return 200, {"access_token": token, "token_type": "Bearer", "expires_in": 3600, "scope": SCORE_SCOPE}

    def score(self, authorization, content_type, body):
        """A score for the line item, kept as a gradebook keeps it: the newest
        by timestamp stands; an older one changes nothing."""
        if not self.up:
            self.turned_away += 1
            return 503, "down"
        with self.lock:
            if (authorization or "").removeprefix("Bearer ") not in self.access_tokens:
                return 401, "no such access token"
            if content_type != "application/vnd.ims.lis.v1.score+json":
                return 415, "not a score"
            score = json.loads(body)
            if not {"userId", "scoreGiven", "scoreMaximum", "activityProgress", "gradingProgress",
                    "timestamp"} <= set(score) or not 0 <= score["scoreGiven"] <= score["scoreMaximum"]:
                return 400, "bad score"
            self.scores_received.append(score)
            held = self.gradebook.get(score["userId"])
            if held is None or held["timestamp"] <= score["timestamp"]:
                self.gradebook[score["userId"]] = score
        return 200, ""

    def result(self, user):
        """The gradebook's column for a user: (score, progress), or None."""
        with self.lock:
            held = self.gradebook.get(user)
            return (held["scoreGiven"], held["activityProgress"]) if held else None
