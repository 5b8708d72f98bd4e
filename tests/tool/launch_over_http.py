"""A whole LTI 1.3 launch over real HTTP: the tool on localhost, the tests'
platform on 127.0.0.1 (two sites), and a browser made of urllib and a
cookie jar. Login initiation, authentication, launch; then a replayed, a
forged and another browser's launch refused, a body over the bound refused,
and --check on a bad configuration.

    launch_over_http.py ZENTRIK_TOOL

Exits 77 (skipped) where Debian's python3-jwt or python3-cryptography is
missing."""

import html
import html.parser
import http.cookiejar
import json
import os
import re
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

try:
    import testplatform
except ImportError as error:
    print("skipped: %s (install python3-jwt and python3-cryptography)" % error)
    sys.exit(77)

TOOL = sys.argv[1]
EXIT_CANNOT_LISTEN = 3
PAGE = ('<!DOCTYPE html>\n<html lang="ja">\n<head>\n<meta charset="utf-8">\n'
        '<meta http-equiv="Content-Security-Policy" content="default-src \'none\'; script-src \'self\'">\n'
        '<title>Zentrik</title>\n</head>\n<body></body>\n</html>\n')


class LocalhostIsSecure(http.cookiejar.DefaultCookiePolicy):
    """Browsers send Secure cookies to http://localhost as to https; Python's
    jar only to https, unless told."""

    def return_ok_secure(self, cookie, request):
        return urllib.parse.urlsplit(request.get_full_url()).hostname == "localhost" or \
            super().return_ok_secure(cookie, request)


class NoRedirects(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args):
        return None


class KeepsNoCookie(http.cookiejar.DefaultCookiePolicy):
    """A browser that refuses cookies in another site's frame, as WebKit does."""

    def set_ok(self, cookie, request):
        return False


class Browser:
    def __init__(self, keeps_cookies=True):
        self.jar = http.cookiejar.CookieJar(LocalhostIsSecure() if keeps_cookies else KeepsNoCookie())
        self.opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(self.jar), NoRedirects)

    def request(self, url, form=None, body=None):
        data = body if body is not None else (urllib.parse.urlencode(form).encode() if form else None)
        request = urllib.request.Request(url, data=data)
        if data is not None:
            request.add_header("Content-Type", "application/x-www-form-urlencoded")
        try:
            with self.opener.open(request, timeout=30) as answer:
                return answer.status, answer.headers, answer.read().decode()
        except urllib.error.HTTPError as answer:
            return answer.code, answer.headers, answer.read().decode()


class FormReader(html.parser.HTMLParser):
    def __init__(self, text):
        super().__init__()
        self.action, self.fields = None, {}
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "form":
            self.action = attrs["action"]
        elif tag == "input":
            self.fields[attrs["name"]] = attrs["value"]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def check(condition, what):
    if not condition:
        raise AssertionError(what)


class Tool:
    def __init__(self, folder, platform):
        self.data = os.path.join(folder, "data")
        self.pages = os.path.join(folder, "pages")
        os.mkdir(self.data)
        os.mkdir(self.pages)
        with open(os.path.join(self.pages, "index.html"), "w", encoding="utf-8") as page:
            page.write(PAGE)
        self.log = open(os.path.join(folder, "tool.log"), "w+", encoding="utf-8")
        # A port freed for us can be taken by another program before the tool
        # binds it; the tool says so by its status, and takes another.
        for _ in range(5):
            self.port = free_port()
            self.base = "http://localhost:%d" % self.port
            # No platform: one registers itself later, by Dynamic Registration.
            if platform:
                registered = self.run("register", "--issuer", platform.issuer, "--client-id", platform.client_id,
                                      "--auth-url", platform.auth_url, "--token-url", platform.token_url,
                                      "--jwks-url", platform.jwks_url, "--deployment", platform.deployment_id)
                check(registered.returncode == 0, "register failed: %s" % registered.stderr)
                self.sheet = registered.stdout
            self.process = subprocess.Popen(
                [TOOL, "--port", str(self.port), "--data", self.data, "--pages", self.pages, "--base-url", self.base],
                stdout=self.log, stderr=self.log)
            if self.wait_until_listening():
                return
        raise AssertionError("the tool found no port to listen on")

    def run(self, *arguments):
        return subprocess.run([TOOL, *arguments, "--data", self.data, "--base-url", self.base],
                              capture_output=True, text=True, timeout=60)

    def wait_until_listening(self):
        while self.process.poll() is None:
            try:
                with socket.create_connection(("127.0.0.1", self.port)):
                    return True
            except ConnectionRefusedError:
                time.sleep(0.05)
        check(self.process.returncode == EXIT_CANNOT_LISTEN, "the tool stopped: %s" % self.log_text())
        return False

    def log_text(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        """Ends the tool as a service manager does; it stops cleanly, with
        nothing for the sanitizers to say."""
        self.process.terminate()
        status = self.process.wait(timeout=60)
        check(status == 0, "the tool ended with status %d: %s" % (status, self.log_text()[-2000:]))


def login(browser, tool, platform, message_hint="m1"):
    """The platform's login initiation, then its authorization endpoint: the
    form it has the browser post to the tool."""
    query = urllib.parse.urlencode({"iss": platform.issuer, "login_hint": "child-1",
                                    "target_link_uri": tool.base + "/launch", "client_id": platform.client_id,
                                    "lti_deployment_id": platform.deployment_id, "lti_message_hint": message_hint})
    status, headers, _ = browser.request(tool.base + "/login?" + query)
    check(status == 302, "login initiation answered %d" % status)
    cookie = headers["Set-Cookie"]
    for attribute in ("Secure", "HttpOnly", "SameSite=None", "Partitioned"):
        check(attribute in cookie.split("; "), "the login cookie lacks %s" % attribute)
    location = headers["Location"]
    check(location.startswith(platform.auth_url + "?"), "login went to %s" % location)
    status, _, text = browser.request(location)
    check(status == 200, "the platform refused the authentication request: %s" % text)
    form = FormReader(text)
    check(form.action == tool.base + "/launch", "the platform posts to %s" % form.action)
    return form


def data_attributes(page):
    return dict(re.findall(r' data-([a-z-]+)="([^"]*)"', page))


def without_cookies(tool, platform):
    """A browser that keeps no cookie in the platform's frame. Where the
    platform offers its storage, the login's page puts the binding there and
    the launch's page reads it back and posts it (the platform's storage
    played here by a dictionary); a wrong value is refused. Where it offers
    none, the launch offers the same login in a window of its own."""
    browser = Browser(keeps_cookies=False)
    query = urllib.parse.urlencode({"iss": platform.issuer, "login_hint": "child-1",
                                    "target_link_uri": tool.base + "/launch", "client_id": platform.client_id,
                                    "lti_storage_target": "_parent"})
    status, headers, page = browser.request(tool.base + "/login?" + query)
    login = {name: html.unescape(value) for name, value in data_attributes(page).items()}
    check(status == 200 and login.get("storage-target") == "_parent" and login.get("platform-origin") == platform.origin,
          "the login with the platform's storage answered %d: %s" % (status, page))
    check("'nonce-" in headers["Content-Security-Policy"] and "unsafe-inline" not in headers["Content-Security-Policy"],
          "the storage page's policy: %s" % headers["Content-Security-Policy"])
    storage = {login["key"]: login["value"]}
    status, _, text = browser.request(login["next"])
    form = FormReader(text)
    status, _, page = browser.request(form.action, form.fields)
    check(status == 200 and "browser_proof" in page, "the launch without a cookie answered %d: %s" % (status, page))
    check(data_attributes(page)["key"] == login["key"], "the launch reads another key than the login put")
    checked = FormReader(page)
    refused(browser.request(checked.action, dict(checked.fields, browser_proof="forged")), 403, "state_other_browser")
    status, _, page = browser.request(checked.action, dict(checked.fields, browser_proof=storage[login["key"]]))
    check(status == 200 and 'name="zentrik-play-token"' in page, "the launch with the storage's value: %s" % page)

    form = login_form_without_cookie(browser, tool, platform)
    restart = own_window(browser.request(form.action, form.fields))
    check(restart["iss"] == [platform.issuer] and restart["login_hint"] == ["child-1"],
          "the own window begins another login: %s" % restart)


def own_window(answer):
    """A launch nothing ties to this browser: refused, with the same login
    to begin in a window of its own; the login's query."""
    status, _, page = answer
    link = re.search(r'<a href="([^"]+)" target="_blank"', page)
    check(status == 403 and "browser_kept_no_cookie" in page and link,
          "a launch with no cookie answered %d: %s" % (status, page[-300:]))
    return urllib.parse.parse_qs(urllib.parse.urlsplit(html.unescape(link[1])).query)


def login_form_without_cookie(browser, tool, platform):
    query = urllib.parse.urlencode({"iss": platform.issuer, "login_hint": "child-1",
                                    "target_link_uri": tool.base + "/launch", "client_id": platform.client_id})
    _, headers, _ = browser.request(tool.base + "/login?" + query)
    return FormReader(browser.request(headers["Location"])[2])


def refused(answer, status, reason):
    check(answer[0] == status and reason in answer[2], "expected %d %s, got %d %s" % (status, reason, answer[0],
                                                                                        answer[2][-200:]))
    check(0 <= answer[2].find("<h1>") < answer[2].find('<h1 lang="en">'), "the error page is not Japanese first")


def main():
    platform = testplatform.Platform()
    with tempfile.TemporaryDirectory() as folder:
        tool = Tool(folder, platform)
        try:
            browser = Browser()
            # What register printed for the platform's form is what the tool serves.
            status, _, text = browser.request(tool.base + "/.well-known/jwks.json")
            check(status == 200, "the JWKS answered %d" % status)
            kid = json.loads(text)["keys"][0]["kid"]
            for value in (tool.base + "/login", tool.base + "/launch", tool.base + "/.well-known/jwks.json", kid):
                check(value in tool.sheet, "register did not print %s" % value)

            form = login(browser, tool, platform)
            status, headers, page = browser.request(form.action, form.fields)
            check(status == 200, "the launch answered %d: %s" % (status, page))
            play_token = page.split('name="zentrik-play-token" content="')[1].split('"')[0]
            check(len(play_token) >= 43, "no play token in the page")
            check(headers["Content-Security-Policy"].endswith("; frame-ancestors " + platform.origin),
                  "frame-ancestors: %s" % headers["Content-Security-Policy"])
            check(headers["Cache-Control"] == "no-store", "the launched page may be cached")
            check("zentrik-play-token" not in (headers["Set-Cookie"] or ""), "the play token went into a cookie")

            # The same form again: the launch made the browser forget its
            # login. (A replay with the login's cookie, and a forged token,
            # are the launch checks' own tests.)
            own_window(browser.request(form.action, form.fields))
            # A login begun in one browser, launched in another: nothing ties
            # it to this one, which may only begin a login of its own.
            other = login(Browser(), tool, platform)
            own_window(browser.request(other.action, other.fields))
            # A body over the bound.
            status, _, _ = browser.request(form.action, body=b"id_token=" + b"a" * 200_000)
            check(status == 413, "a body over the bound answered %d" % status)

            without_cookies(tool, platform)

            # A deployment added by the issuer and client id alone launches;
            # an unknown registration is told to give its addresses.
            added = tool.run("register", "--issuer", platform.issuer, "--client-id", platform.client_id,
                             "--deployment", "deployment-2")
            check(added.returncode == 0, "adding a deployment failed: %s" % added.stderr)
            unknown = tool.run("register", "--issuer", platform.issuer, "--client-id", "other", "--deployment", "d")
            check(unknown.returncode == 1 and "--auth-url" in unknown.stderr, "an unknown client: %s" % unknown.stderr)
            platform.deployment_id = "deployment-2"
            other_browser = Browser()
            second = login(other_browser, tool, platform)
            status, _, page = other_browser.request(second.action, second.fields)
            check(status == 200 and 'name="zentrik-play-token"' in page, "the added deployment's launch: %d" % status)

            log = tool.log_text()
            check("event=launch outcome=accepted" in log, "no log line for the launch: %s" % log)
            for secret in (form.fields["id_token"], play_token, platform.users["child-1"], "child-1"):
                check(secret not in log, "the log holds a token or a name")
        finally:
            tool.stop()
            platform.stop()

        bad = tool.run("--check", "--pages", os.path.join(folder, "no-such-folder"), "--port", "0")
        check(bad.returncode == 1 and "--pages" in bad.stderr and "--port" in bad.stderr,
              "--check on a bad configuration: %d %s" % (bad.returncode, bad.stderr))
        good = tool.run("--check", "--pages", tool.pages)
        check(good.returncode == 0, "--check on a good configuration: %s" % good.stderr)
    print("launch over HTTP: accepted once; replayed, other browser and oversized refused")


if __name__ == "__main__":
    main()
