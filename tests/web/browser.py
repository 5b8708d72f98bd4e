"""A static server on a free port of this machine, and what the playthrough
asks of a browser: each engine's driver (chromium.py, firefox.py, webkit.py)
gives the same calls.

    open(url)            navigates; returns once the document has loaded
    evaluate(js)         the expression's value, promises awaited
    frame(index)         evaluate() runs in the document of the top page's
                         index-th frame (window.frames[index]) from now on,
                         in the top document again with None; input and
                         screenshots stay the top page's
    wait_for(js)         until the expression is true
    screenshot()         the viewport as a PIL image, drawn after all input
    mouse(path)          the left button pressed at the first point, moved
                         through the others and released at the last
    touch(path)          the same with one finger
    key(name)            a key pressed and released ("Enter")
    errors()             what the page threw or said as an error or warning,
                         from its start where it comes from a PageServer
    requested()          every address the page asked for
    run_before_page(js)  a script run before each new document's own, or
                         False where the driver has none (a PageServer runs
                         such scripts in every engine)
    hide()               the page hidden and shown again, in the way the
                         engine's driver can: behind another tab, or its
                         window minimised
    lose_focus()         on a desktop (launch(..., desktop=True)), another
                         program's window takes the focus and gives it back,
                         the page staying in sight; where can_lose_focus
    mouse(path, release=False) holds the button; a path from None moves it on
    close()              and with-blocks, which close
"""

import gzip
import http.server
import os
import importlib
import io
import json
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

import websocket
from PIL import Image

# Each engine's module and its driver.
ENGINES = {"chromium": "Chromium", "firefox": "Firefox", "webkit": "WebKit"}
# The engines whose drivers run them in a window on a desktop of their own
# (launch(..., desktop=True)); Firefox's window takes no focus there under
# its remote agent.
DESKTOP_ENGINES = ("chromium", "webkit")


def launch(engine, width, height, desktop=False):
    """The engine's browser with a viewport of width x height; with
    `desktop`, in a window on a desktop of its own, where the focus goes from
    window to window as on a child's computer."""
    return getattr(importlib.import_module(engine), ENGINES[engine])(width, height, desktop)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


# How long a wait gives what it waits for, and a browser's driver its
# answer to one call: many times what a passing run takes on two busy cores,
# so that a failing one says what did not come about within a minute.
WAIT = 30
ANSWER = 30
# Settles once the page has drawn a frame after all it was given so far.
NEXT_FRAME = "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))"


def wait_until(condition, what, seconds=WAIT):
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("not within %d s: %s" % (seconds, what))
        time.sleep(0.05)


def named(method, params):
    """A protocol call as a failure names it."""
    text = "%s %s" % (method, json.dumps(params, ensure_ascii=False))
    return text if len(text) <= 300 else text[:300] + "..."


def pointer_actions(kind, path, pauses=(), release=True):
    """W3C WebDriver's input source for `kind` ("mouse" or "touch") pressing
    at the path's first point (held from before where it is None), moving
    through it and releasing at its last unless not `release`; with
    `pauses`, waiting pauses[i] ms before the move to path[i + 1]."""
    moves = [{"type": "pointerMove", "x": int(x), "y": int(y)} for x, y in path[1:]]
    held = []
    for at, move in enumerate(moves):
        if at < len(pauses):
            held.append({"type": "pause", "duration": int(pauses[at])})
        held.append(move)
    press = [] if path[0] is None else [{"type": "pointerMove", "x": int(path[0][0]), "y": int(path[0][1])},
                                        {"type": "pointerDown", "button": 0}]
    return {"type": "pointer", "id": kind, "parameters": {"pointerType": kind},
            "actions": press + held + ([{"type": "pointerUp", "button": 0}] if release else [])}


def key_actions(name):
    """W3C WebDriver's input source pressing and releasing one key."""
    code = {"Enter": "\ue007"}[name]
    return {"type": "key", "id": "keyboard",
            "actions": [{"type": "keyDown", "value": code}, {"type": "keyUp", "value": code}]}


def start(command, **options):
    """A program in a session of its own, so that stop() ends what it
    starts too (a browser's helper processes, a server's workers)."""
    return subprocess.Popen(command, start_new_session=True, **options)


def stop(process):
    def signal_all(number):
        try:
            os.killpg(process.pid, number)
        except ProcessLookupError:
            pass
    signal_all(signal.SIGTERM)
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        pass
    # What the program started and left behind goes too.
    signal_all(signal.SIGKILL)
    process.wait()


# Installed first in a PageServer's page, and after each load by drivers
# that hear nothing of the page themselves: keeps what the page says, and
# counts the input the page has been given, for WebKit's driver answers an
# action before the page has handled it.
RECORDER = """
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
TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")


class Display:
    """An X server of a browser's own (tools/display-server) of `size`
    ("WIDTHxHEIGHT"); with `desktop`, with a window manager that gives the
    focus to the window shown last."""

    def __init__(self, size, desktop):
        self.folder = tempfile.mkdtemp(prefix="zentrik-display-")
        self.file = os.path.join(self.folder, "display.env")
        subprocess.run([os.path.join(TOOLS, "display-server"), "start", "openbox" if desktop else "xvfb",
                        self.file, size], check=True, stdout=subprocess.DEVNULL)
        with open(self.file) as file:
            self.env = dict(os.environ, **dict(line.strip().split("=", 1) for line in file
                                               if "=" in line and not line.startswith("#")))

    def other_window(self):
        """Another program's window, shown in front with the focus."""
        return start(["xev", "-name", "zentrik-other"], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        subprocess.run([os.path.join(TOOLS, "display-server"), "stop", self.file], check=False)
        shutil.rmtree(self.folder, ignore_errors=True)


class Driver:
    """What every engine's driver shares: each starts its browser in
    start(width, height, desktop)."""

    display = None
    profile = None

    def __init__(self, width, height, desktop=False):
        # A browser that did not start whole leaves nothing behind.
        try:
            self.start(width, height, desktop)
        except BaseException:
            self.close()
            raise

    def wait_for(self, expression, what=None, seconds=WAIT):
        wait_until(lambda: self.evaluate(expression), "%s (%s)" % (what, expression) if what else expression,
                   seconds)

    def screenshot(self):
        # A frame drawn after every input sent so far.
        self.evaluate(NEXT_FRAME)
        return Image.open(io.BytesIO(self.png())).convert("RGB")

    def receive(self, deadline, what):
        """The next message on a WebSocket driver's socket, which must come
        before `deadline` (time.monotonic()), for `what`: a page that keeps
        talking must not keep a call waiting for its answer."""
        left = deadline - time.monotonic()
        try:
            if left <= 0:
                raise websocket.WebSocketTimeoutException()
            self.socket.settimeout(left)
            return json.loads(self.socket.recv())
        except websocket.WebSocketTimeoutException:
            raise TimeoutError("%s: no answer to %s within %d s" % (
                type(self).__name__, what, ANSWER)) from None
        finally:
            # What is sent next has its own time.
            self.socket.settimeout(ANSWER)

    def run_before_page(self, source):
        return False

    @property
    def can_lose_focus(self):
        return self.display is not None

    def lose_focus(self):
        other = self.display.other_window()
        try:
            self.wait_for("!document.hasFocus()")
        finally:
            stop(other)
        self.wait_for("document.hasFocus()")

    # Input as W3C WebDriver's actions, which the drivers that speak them
    # send through perform(); Chromium's sends its own events instead.
    def mouse(self, path, release=True):
        self.perform(pointer_actions("mouse", path, release=release))

    def touch(self, path):
        self.perform(pointer_actions("touch", path))

    def key(self, name):
        self.perform(key_actions(name))

    def close(self):
        # A browser on a socket of its own, with a profile made for it, also
        # where it did not start whole.
        try:
            if getattr(self, "socket", None):
                self.socket.close()
        finally:
            if getattr(self, "process", None):
                stop(self.process)
            if self.profile:
                shutil.rmtree(self.profile, ignore_errors=True)
            if self.display:
                self.display.close()

    def __enter__(self):
        return self

    def __exit__(self, kind, *exception):
        try:
            self.close()
        except Exception:
            # A browser that did not come through a step may not close
            # cleanly either: the step is what the failure names.
            if kind is None:
                raise


# What a server sends compressed: text and WebAssembly.
COMPRESSED = (".html", ".js", ".css", ".wasm", ".webmanifest", ".json", ".svg")


class Server:
    """Serves `folder` on 127.0.0.1. A path in `answers` gets the answer given
    there instead, (status, body) or (status, body, type), as a server that
    lacks the file or holds another would; a body may be a function that
    makes it. Every request's path is kept in `paths`. With `compressed`,
    text and WebAssembly go gzipped to a browser that takes it, as the page's
    own server settings send them: the gzip copy beside a file where there is
    one, else the file gzipped as it is sent. Every answer carries `headers`
    besides its own."""

    def __init__(self, folder, answers=None, compressed=False, headers=None):
        self.paths = []
        self.answered = []  # (path, status)
        answers = answers or {}
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def end_headers(self):
                for name, value in (headers or {}).items():
                    self.send_header(name, value)
                super().end_headers()

            def send_gzipped(self):
                path = self.translate_path(self.path.split("?")[0])
                if os.path.isdir(path):
                    path = os.path.join(path, "index.html")
                if (not compressed or "gzip" not in self.headers.get("Accept-Encoding", "")
                        or not path.endswith(COMPRESSED) or not os.path.isfile(path)):
                    return False
                if os.path.isfile(path + ".gz"):
                    with open(path + ".gz", "rb") as file:
                        body = file.read()
                else:
                    with open(path, "rb") as file:
                        body = gzip.compress(file.read(), 9)
                self.send_response(200)
                self.send_header("Content-Type", self.guess_type(path))
                self.send_header("Content-Encoding", "gzip")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
                return True

            def do_GET(self):
                server.paths.append(self.path)
                answer = answers.get(self.path.lstrip("/"))
                if answer is None:
                    if not self.send_gzipped():
                        super().do_GET()
                elif answer[0] != 200:
                    self.send_error(answer[0])
                else:
                    body = answer[1]() if callable(answer[1]) else answer[1]
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(body)))
                    if len(answer) > 2:
                        self.send_header("Content-Type", answer[2])
                        self.send_header("Cache-Control", "no-store")
                    self.end_headers()
                    self.wfile.write(body)

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


class PageServer(Server):
    """A Server whose page runs a script of the test's first, before its
    own: it keeps what the page says from its start, for every driver, and
    runs each script added to `before_page`, as run_before_page does where
    a driver can."""

    FIRST = "zentrik-test-first.js"

    def __init__(self, folder, answers=None, **options):
        self.before_page = []
        with open(os.path.join(folder, "index.html"), "rb") as file:
            page = file.read().replace(b"<head>", b'<head>\n<script src="%s"></script>' % self.FIRST.encode(), 1)
        answers = dict(answers or {})
        for path in ("", "index.html"):
            answers[path] = (200, page, "text/html; charset=utf-8")
        answers[self.FIRST] = (200, lambda: "\n".join([RECORDER] + self.before_page).encode(), "text/javascript")
        super().__init__(folder, answers, **options)


def readable_copy(folder, copy):
    """A copy of `folder` at `copy` that a server's unprivileged user may
    read, whatever the folders above `folder` and the umask it was made with."""
    shutil.copytree(folder, copy)
    for root, _, files in os.walk(copy):
        os.chmod(root, 0o755)
        for name in files:
            os.chmod(os.path.join(root, name), 0o644)
    return copy


class RealServer:
    """Debian's nginx or apache2 serving `folder` on a free port of 127.0.0.1
    with the settings that ship with the page, from a private configuration:
    every file it writes (pid, locks, logs, temporary files) stays in a
    temporary folder of its own, removed when it stops. Run as root, it
    hands requests to an unprivileged user, who must be able to read
    `folder` (readable_copy). A system service of the same server, if one
    runs, is neither needed nor touched."""

    def __init__(self, folder):
        self.state = tempfile.mkdtemp(prefix="zentrik-%s-" % self.NAME)
        # Open to the unprivileged user that serves the requests.
        os.chmod(self.state, 0o755)
        self.port = free_port()
        self.url = "http://127.0.0.1:%d/" % self.port
        config = os.path.join(self.state, self.NAME + ".conf")
        with open(config, "w") as file:
            file.write(self.configuration(os.path.abspath(folder)))
        self.log = open(os.path.join(self.state, "output.log"), "w")
        self.process = start(self.command(config), stdout=self.log, stderr=subprocess.STDOUT)

        def answers():
            if self.process.poll() is not None:
                raise RuntimeError("%s did not start:\n%s" % (self.NAME, self.errors()))
            try:
                socket.create_connection(("127.0.0.1", self.port), 1).close()
                return True
            except OSError:
                return False
        wait_until(answers, self.NAME + " on port %d" % self.port)

    def errors(self):
        return "".join(open(os.path.join(self.state, name)).read() for name in ("output.log", "error.log")
                       if os.path.exists(os.path.join(self.state, name)))

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        stop(self.process)
        self.log.close()
        shutil.rmtree(self.state, ignore_errors=True)


# The folder web/server/ of the repository this test belongs to.
SETTINGS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web", "server")
# Run as root, a server hands its requests to an unprivileged user.
UNPRIVILEGED = os.geteuid() == 0


# What a school's server sends with every page of its own, set in its server
# block; the game's location repeats the lines nginx.conf says to.
SCHOOL_HEADERS = {"strict-transport-security": "max-age=31536000", "x-frame-options": "SAMEORIGIN"}
REPEATED = ("strict-transport-security",)


class Nginx(RealServer):
    """Debian's nginx serving `folder` from a location that includes the
    page's nginx.conf: by default the server's only one. `beside_others`
    sets it as on a school's server: the folder at /zentrik/ (its url), in
    the location nginx.conf shows, beside other pages (index.html,
    other.js) in a server block with SCHOOL_HEADERS and a regex location of
    its own that keeps scripts, style sheets and pictures seven days."""
    NAME = "nginx"

    def __init__(self, folder, beside_others=False):
        self.beside_others = beside_others
        super().__init__(folder)
        if beside_others:
            self.url += "zentrik/"

    def configuration(self, folder):
        if self.beside_others:
            return self.http(self.school_server(folder))
        return self.http("""
    server {{
        listen 127.0.0.1:{port};
        root {folder};
        location / {{
            include {settings}/nginx.conf;
        }}
    }}
""".format(port=self.port, folder=folder, settings=os.path.abspath(SETTINGS)))

    def school_server(self, folder):
        root = os.path.join(self.state, "root")
        os.mkdir(root)
        os.chmod(root, 0o755)
        for name, text in (("index.html", "<!DOCTYPE html><title>School</title>"), ("other.js", "'use strict';")):
            with open(os.path.join(root, name), "w") as file:
                file.write(text)
            os.chmod(os.path.join(root, name), 0o644)
        os.symlink(folder, os.path.join(root, "zentrik"))
        line = '        add_header %s "%s" always;\n'
        headers = "".join(line % header for header in SCHOOL_HEADERS.items())
        repeated = "".join("    " + line % (name, SCHOOL_HEADERS[name]) for name in REPEATED)
        return """
    server {{
        listen 127.0.0.1:{port};
        root {root};
{headers}
        location / {{
        }}
        location ~* \\.(js|css|png|gif)$ {{
            expires 7d;
        }}
        location ^~ /zentrik/ {{
            include {settings}/nginx.conf;
{repeated}
        }}
    }}
""".format(port=self.port, root=root, headers=headers, repeated=repeated, settings=os.path.abspath(SETTINGS))

    def http(self, server):
        return """
daemon off;
worker_processes 1;
pid {state}/nginx.pid;
error_log {state}/error.log;
{user}
events {{ worker_connections 64; }}
http {{
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    access_log off;
    client_body_temp_path {state}/client_body;
    proxy_temp_path {state}/proxy;
    fastcgi_temp_path {state}/fastcgi;
    uwsgi_temp_path {state}/uwsgi;
    scgi_temp_path {state}/scgi;
{server}
}}
""".format(state=self.state, server=server, user="user nobody nogroup;" if UNPRIVILEGED else "")

    def command(self, config):
        # -e: the log nginx opens before it reads its configuration.
        return ["/usr/sbin/nginx", "-p", self.state, "-c", config, "-e", os.path.join(self.state, "error.log")]


class Apache(RealServer):
    """Apache 2.4 with the modules Debian's apache2 installs, each with
    Debian's settings for it, reading the page's .htaccess in place.
    `modules` chooses which are loaded besides the event MPM and access
    control; `options` and `overrides` are the folder's Options and
    AllowOverride, Debian's default site's by default."""
    NAME = "apache2"
    MODULES = ("mime", "dir", "filter", "deflate", "brotli", "rewrite", "headers")

    def __init__(self, folder, modules=MODULES, options="FollowSymLinks", overrides="FileInfo"):
        self.modules = modules
        self.options = options
        self.overrides = overrides
        super().__init__(folder)

    def configuration(self, folder):
        debian = "/etc/apache2/mods-available/"
        modules = "".join("LoadModule %s_module /usr/lib/apache2/modules/mod_%s.so\n" % (name, name)
                          for name in ("mpm_event", "authz_core") + tuple(self.modules))
        settings = "TypesConfig /etc/mime.types\n" if "mime" in self.modules else ""
        settings += "".join("Include %s%s.conf\n" % (debian, name) for name in self.modules
                           if os.path.exists(debian + name + ".conf"))
        return """
ServerRoot {state}
ServerName 127.0.0.1
Listen 127.0.0.1:{port}
PidFile {state}/apache2.pid
DefaultRuntimeDir {state}
Mutex file:{state} default
ErrorLog {state}/error.log
{user}
{modules}
{settings}
DocumentRoot {folder}
<Directory {folder}>
    Options {options}
    AllowOverride {overrides}
    Require all granted
</Directory>
""".format(state=self.state, port=self.port, folder=folder, modules=modules, settings=settings,
           options=self.options, overrides=self.overrides,
           user="User nobody\nGroup nogroup" if UNPRIVILEGED else "")

    def command(self, config):
        return ["/usr/sbin/apache2", "-f", config, "-DFOREGROUND"]
