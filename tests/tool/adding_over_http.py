"""A platform adds the tool over real HTTP as an administrator does by LTI
Dynamic Registration: registration-url prints the tool's secret URL, the
platform opens it with the address of its OpenID configuration and a
registration token, and the tool registers itself there. Then a child's
launch as the newly registered platform, and a teacher's content chooser
whose chosen link comes back to the platform signed by the tool. A wrong
secret is refused first, with nothing registered.

    adding_over_http.py ZENTRIK_TOOL

Exits 77 (skipped) where Debian's python3-jwt or python3-cryptography is
missing."""

import os
import stat
import tempfile
import urllib.parse

# Exits 77 itself where python3-jwt or python3-cryptography is missing.
import launch_over_http
from launch_over_http import Browser, FormReader, check, login, refused
import testplatform

TITLE = "ゼントリック Zentrik"
PAGE = launch_over_http.PAGE.replace("<title>Zentrik</title>", "<title>ゼントリック Zentrik</title>")


def registration_url(tool):
    made = tool.run("registration-url")
    check(made.returncode == 0, "registration-url failed: %s" % made.stderr)
    url = made.stdout.strip()
    check(url.startswith(tool.base + "/register/") and len(url) >= len(tool.base + "/register/") + 43,
          "registration-url printed %r" % made.stdout)
    mode = stat.S_IMODE(os.stat(os.path.join(tool.data, "registration-secret")).st_mode)
    check(mode == 0o600, "the registration secret has mode %o" % mode)
    check(tool.run("registration-url").stdout.strip() == url, "a second registration-url made another secret")
    return url


def register(browser, tool, platform, url):
    query = "?" + urllib.parse.urlencode({"openid_configuration": platform.origin + "/.well-known/openid-configuration",
                                          "registration_token": platform.registration_token})
    wrong = browser.request(tool.base + "/register/wrong-secret" + query)
    refused(wrong, 404, "registration_secret_wrong")
    check("The tool could not be registered" in wrong[2], "the refusal speaks of the game, not the registration")
    check(not platform.registrations, "a wrong secret registered the tool")

    status, headers, page = browser.request(url + query)
    check(status == 200, "the registration answered %d: %s" % (status, page))
    check(len(platform.registrations) == 1, "the platform has %d registrations" % len(platform.registrations))
    registration = platform.registrations[0]
    check(registration["client_name"] == TITLE and registration["initiate_login_uri"] == tool.base + "/login",
          "the tool registered as %s" % registration)
    check(headers["Content-Security-Policy"].startswith("default-src 'none'; script-src 'nonce-"),
          "the registered page's policy: %s" % headers["Content-Security-Policy"])
    check("org.imsglobal.lti.close" in page, "the registered page does not close the platform's window")
    # A POST to the secret URL, which no route takes: the log line that says
    # so leaves the secret out too.
    status, _, _ = browser.request(url, body=b"x")
    check(status in (404, 405), "a POST to the registration URL answered %d" % status)


def choose_content(browser, tool, platform):
    """The teacher's content chooser: the tool answers a page that posts the
    chosen link back to the platform, which checks it against the tool's keys."""
    form = login(browser, tool, platform, testplatform.CHOOSE_CONTENT)
    status, headers, page = browser.request(form.action, form.fields)
    check(status == 200, "the deep-linking launch answered %d: %s" % (status, page))
    policy = headers["Content-Security-Policy"]
    check("; form-action %s;" % platform.origin in policy and policy.endswith("; frame-ancestors " + platform.origin),
          "the deep-linking page's policy: %s" % policy)
    answer = FormReader(page)
    check(answer.action == platform.origin + "/deep-link-return", "the answer goes to %s" % answer.action)
    status, _, text = browser.request(answer.action, answer.fields)
    check(status == 200, "the platform refused the tool's answer: %s" % text)
    claims = platform.deep_link_responses[0]
    items = claims[testplatform.DEEP_LINKING + "content_items"]
    check(items == [{"type": "ltiResourceLink", "title": TITLE, "url": tool.base + "/launch",
                     "lineItem": {"scoreMaximum": 100, "label": TITLE}}], "the chosen items: %s" % items)
    check(claims[testplatform.DEEP_LINKING + "data"].startswith("chooser-"), "the platform's data was not echoed")
    check(claims[testplatform.LTI + "deployment_id"] == platform.deployment_id, "the answer names another deployment")


def main():
    platform = testplatform.Platform()
    with tempfile.TemporaryDirectory() as folder:
        tool = launch_over_http.Tool(folder, None)
        try:
            with open(os.path.join(tool.pages, "index.html"), "w", encoding="utf-8") as page:
                page.write(PAGE)
            url = registration_url(tool)
            browser = Browser()
            register(browser, tool, platform, url)

            form = login(browser, tool, platform)
            status, _, page = browser.request(form.action, form.fields)
            check(status == 200 and 'name="zentrik-play-token"' in page,
                  "the launch as the registered platform answered %d: %s" % (status, page[-300:]))
            choose_content(browser, tool, platform)

            log = tool.log_text()
            for line in ("event=registration outcome=registered", "event=registration outcome=refused",
                         "message_type=LtiDeepLinkingRequest"):
                check(line in log, "no log line %s: %s" % (line, log))
            for secret in (url.rsplit("/", 1)[1], "wrong-secret", platform.registration_token):
                check(secret not in log, "the log holds a secret")
        finally:
            tool.stop()
            platform.stop()
    print("adding over HTTP: registered by its secret URL, launched, content chosen; a wrong secret refused")


if __name__ == "__main__":
    main()
