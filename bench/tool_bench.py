"""The LTI tool's figures: zentrik-tool beside ltijs, the most used LTI 1.3
tool library on npm, both launched in the same run from the same platform
(bench/tool_platform.py); prints "key value reference" lines and "samples key
count count" lines for run.sh.

    tool_bench.py ZENTRIK_TOOL PAGE_FOLDER LTIJS_FOLDER [CLASS_ROUNDS [BURST_LAUNCHES [BURST_RATE]]]

A launch is what a child's browser does when it taps the game's link: the
tool's login initiation, the platform's authorization (a form that posts the
signed id_token), the launch, and every redirect up to the game's page
(ltijs sends the browser on once more, with its ltik); each simulated child
has its own cookie jar and its own keep-alive connection to each site, which
it closes once its page has come. The load is made by Python threads, one
per child in flight, with http.client; the schedule by asyncio.

class of 40: 40 children tap the link at once, CLASS_ROUNDS (10) times for
each tool, the tools in turn; latency from the tap to the page. burst:
BURST_LAUNCHES (2000) launches at BURST_RATE (200) a second, open loop;
latency from each launch's scheduled start, so that queueing shows. kept:
the burst's first quarter again, each child's browser keeping its
connections open until the step ends, as a browser does that reaches the
tool with no proxy between. a letter to the gradebook: 40 children launched,
each reporting letters 0 to 4 at a quick child's pace (one letter per 350
ms) as the page's lti.js posts them; from the post the tool took to the
platform's score endpoint receiving the score. memory: zentrik-tool's VmRSS
and VmHWM idle after start and after the class, beside ltijs's Node
(PostgreSQL's own processes apart). CPU: each party's time on a core, from
/proc, per launch; the load's own beside it, to show it is not what limits.

Every step is bounded in count and time; the servers listen on 127.0.0.1
only; PostgreSQL runs from a temporary folder on a port of its own, as the
postgres user when this runs as root; all is stopped and removed at the end.
"""

import asyncio
import concurrent.futures
import glob
import html.parser
import http.client
import http.cookiejar
import json
import math
import os
import random
import re
import resource
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

from tool_platform import DEPLOYMENT, child_sub

HERE = os.path.dirname(os.path.abspath(__file__))
CLASS_SIZE = 40
# A request's bound, and a step's beyond its schedule.
REQUEST_TIMEOUT = 30
STEP_LIMIT = 90
# The tool takes one letter per 300 ms of a launch; a quick child's letters
# come a little slower, as the tests' do.
LETTER_PACE = 0.35
LETTERS_REPORTED = 5
LETTER_COUNT = 26
ARRIVAL_LIMIT = 30
PLATFORM_PROCESSES = 2
ZENTRIK_CLIENT = "zentrik-client"
LTIJS_CLIENT = "ltijs-client"


def say(text):
    print(text, file=sys.stderr, flush=True)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, process, limit=60):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline and process.poll() is None:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def percentiles(values):
    """The median and the 99th percentile, as run.sh takes them."""
    ordered = sorted(values)
    count = len(ordered)
    return ordered[(count + 1) // 2 - 1], ordered[math.ceil(count * 0.99) - 1]


class LocalhostIsSecure(http.cookiejar.DefaultCookiePolicy):
    """Browsers send Secure cookies to http://localhost as to https."""

    def return_ok_secure(self, cookie, request):
        return urllib.parse.urlsplit(request.get_full_url()).hostname == "localhost" or \
            super().return_ok_secure(cookie, request)


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


class Child:
    """A child's browser: a cookie jar, a keep-alive connection per site, and
    redirects followed as a browser follows them."""

    def __init__(self, login_hint):
        self.login_hint = login_hint
        self.jar = http.cookiejar.CookieJar(LocalhostIsSecure())
        self.connections = {}
        self.page = None
        self.stopped = False

    def request(self, url, form=None, headers=None, body=None):
        data = body if body is not None else (urllib.parse.urlencode(form).encode() if form else None)
        request = urllib.request.Request(url, data=data, headers=headers or {})
        if form:
            request.add_header("Content-Type", "application/x-www-form-urlencoded")
        self.jar.add_cookie_header(request)
        parts = urllib.parse.urlsplit(url)
        path = parts.path + ("?" + parts.query if parts.query else "")
        answer = self.send(parts.netloc, "POST" if data is not None else "GET", path, data, request.header_items())
        self.jar.extract_cookies(answer, request)
        return answer.status, answer.headers, answer.text

    def send(self, site, method, path, data, headers):
        """One request on the site's connection; a kept connection that the
        server closed meanwhile is opened again once, as browsers do."""
        for _ in range(2):
            if self.stopped:
                raise ConnectionAbortedError("the step's time is up")
            connection = self.connections.get(site)
            kept = connection is not None
            if not kept:
                connection = self.connections[site] = http.client.HTTPConnection(site, timeout=REQUEST_TIMEOUT)
            try:
                connection.request(method, path, body=data, headers=dict(headers))
                answer = connection.getresponse()
                answer.text = answer.read().decode()
            except (http.client.RemoteDisconnected, ConnectionResetError, BrokenPipeError):
                self.close_site(site)
                if kept:
                    continue
                raise
            if answer.will_close:
                self.close_site(site)
            return answer
        raise AssertionError("unreachable")

    def close_site(self, site):
        connection = self.connections.pop(site, None)
        if connection:
            connection.close()

    def close(self):
        for site in list(self.connections):
            self.close_site(site)

    def stop(self):
        """Ends a launch still waiting, from another thread, when its step's
        time is up: a shut-down socket wakes the thread that reads it."""
        self.stopped = True
        for connection in list(self.connections.values()):
            if connection.sock:
                try:
                    connection.sock.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass


class Tool:
    """A tool under load: how a launch starts, and its process."""

    def __init__(self, name, base, target, client_id, process, pages):
        self.name, self.base, self.target, self.client_id, self.process = name, base, target, client_id, process
        self.counter = 0
        # Both answer the page's index.html: its title says the game's page
        # came, not an error page.
        with open(os.path.join(pages, "index.html"), encoding="utf-8") as page:
            self.title = re.search(r"<title>.*</title>", page.read())[0]

    def login_url(self, platform, login_hint):
        query = {"iss": platform, "login_hint": login_hint, "target_link_uri": self.base + self.target,
                 "client_id": self.client_id, "lti_deployment_id": DEPLOYMENT, "lti_message_hint": "course-link"}
        return self.base + "/login?" + urllib.parse.urlencode(query)

    def new_child(self):
        self.counter += 1
        return Child("child-%s-%d" % (self.name, self.counter))


def launch(tool, platform, child):
    """A whole launch as the child's browser makes it; the game's page, or
    None when a step was refused."""
    status, headers, text = child.request(tool.login_url(platform, child.login_hint))
    url = tool.base + "/login"
    for _ in range(6):
        if status in (302, 303):
            url = urllib.parse.urljoin(url, headers["Location"])
            status, headers, text = child.request(url)
        elif status == 200 and "document.forms[0].submit()" in text:
            form = FormReader(text)
            url = form.action
            status, headers, text = child.request(url, form.fields)
        else:
            break
    return text if status == 200 and tool.title in text else None


def timed_launch(tool, platform, child, started, keep_open=False):
    """The launch's latency from `started`, or None when refused or not
    answered."""
    try:
        page = launch(tool, platform, child)
    except (OSError, http.client.HTTPException):
        page = None
    finally:
        if not keep_open:
            child.close()
    child.page = page
    return time.monotonic() - started if page else None


class Cpu:
    """Time on a core of the tool's processes, the platform's and the load's
    own, from /proc and getrusage."""

    TICKS = os.sysconf("SC_CLK_TCK")

    def __init__(self, parties):
        self.parties = parties

    @staticmethod
    def process_seconds(pid, children_too=False):
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except FileNotFoundError:
            return 0.0
        used = int(fields[11]) + int(fields[12]) + (int(fields[13]) + int(fields[14]) if children_too else 0)
        return used / Cpu.TICKS

    @staticmethod
    def children(pid):
        found = []
        for stat in glob.glob("/proc/[0-9]*/stat"):
            try:
                with open(stat) as file:
                    if int(file.read().rsplit(")", 1)[1].split()[1]) == pid:
                        found.append(int(stat.split("/")[2]))
            except (FileNotFoundError, ProcessLookupError, ValueError):
                pass
        return found

    def reading(self):
        times = {name: sum(seconds() for seconds in ways) for name, ways in self.parties.items()}
        usage = resource.getrusage(resource.RUSAGE_SELF)
        times["load"] = usage.ru_utime + usage.ru_stime
        times["wall"] = time.monotonic()
        times["overflows"] = listen_overflows()
        return times

    @staticmethod
    def used(before, after):
        return {name: after[name] - before[name] for name in after}


def listen_overflows():
    """Connections this machine's kernel turned away from a full accept
    queue, so far: each waits a second or more for its SYN to be sent again."""
    with open("/proc/net/netstat") as netstat:
        lines = netstat.read().splitlines()
    for names, values in zip(lines[::2], lines[1::2]):
        if names.startswith("TcpExt:"):
            return int(dict(zip(names.split(), values.split()))["ListenOverflows"])
    return 0


def memory(pid):
    """VmRSS and VmHWM in KB."""
    with open("/proc/%d/status" % pid) as status:
        fields = dict(line.split(":", 1) for line in status)
    return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])


def class_round(tool, platform, pool):
    """CLASS_SIZE children tap the link at once: their latencies (None for a
    launch refused), and the round's length."""
    children = [tool.new_child() for _ in range(CLASS_SIZE)]
    go = threading.Event()
    started = []

    def child_launch(child):
        go.wait()
        return timed_launch(tool, platform, child, started[0])

    futures = [pool.submit(child_launch, child) for child in children]
    time.sleep(0.05)
    started.append(time.monotonic())
    go.set()
    done, _ = concurrent.futures.wait(futures, timeout=STEP_LIMIT)
    length = time.monotonic() - started[0]
    stop(children, futures)
    return [future.result() if future in done else None for future in futures], length


def stop(children, futures):
    """Stops the launches still running once a step's time is up, and waits
    for their threads."""
    for child in children:
        child.stop()
    concurrent.futures.wait(futures)


async def open_loop(tool, platform, count, rate, keep_open):
    """`count` launches at `rate` a second from the moment it starts, each
    on a thread of its own; each latency from its scheduled start."""
    loop = asyncio.get_running_loop()
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=min(count, 400))
    children = [tool.new_child() for _ in range(count)]
    begun = time.monotonic() + 0.1
    futures = []
    for number, child in enumerate(children):
        scheduled = begun + number / rate
        await asyncio.sleep(max(0.0, scheduled - time.monotonic()))
        futures.append(loop.run_in_executor(pool, timed_launch, tool, platform, child, scheduled, keep_open))
    done, _ = await asyncio.wait(futures, timeout=STEP_LIMIT)
    length = time.monotonic() - begun
    latencies = [future.result() if future in done else None for future in futures]
    for child in children:
        child.stop()
    pool.shutdown(wait=True)
    for child in children:
        child.close()
    return latencies, length


class Postgres:
    """A throw-away PostgreSQL cluster on 127.0.0.1: initdb and pg_ctl from
    Debian's package, as the postgres user when this runs as root."""

    def __init__(self, folder):
        binaries = sorted(glob.glob("/usr/lib/postgresql/*/bin"), key=lambda path: int(path.split("/")[-2]))
        if not binaries:
            raise SystemExit("PostgreSQL is not installed (make bench installs Debian's postgresql)")
        self.bin = binaries[-1]
        self.folder = os.path.join(folder, "postgres")
        self.user = ["runuser", "-u", "postgres", "--"] if os.geteuid() == 0 else []
        os.mkdir(self.folder, 0o700)
        if os.geteuid() == 0:
            os.chmod(folder, 0o711)
            shutil.chown(self.folder, "postgres", "postgres")
        self.port = free_port()
        self.pid = None

    def start(self):
        self.run("initdb", "-D", self.folder + "/data", "-U", "ltijs", "--auth=trust", "-E", "UTF8", "--no-sync")
        options = "-c listen_addresses=127.0.0.1 -c port=%d -c unix_socket_directories=%s" % (self.port, self.folder)
        self.run("pg_ctl", "-D", self.folder + "/data", "-l", self.folder + "/log", "-o", options, "-w", "-t", "60",
                 "start")
        with open(self.folder + "/data/postmaster.pid") as pid:
            self.pid = int(pid.readline())

    def run(self, program, *arguments):
        done = subprocess.run(self.user + [os.path.join(self.bin, program), *arguments], capture_output=True,
                              text=True, timeout=120)
        if done.returncode != 0:
            raise SystemExit("%s failed: %s%s" % (program, done.stdout, done.stderr))

    def seconds(self):
        """The postmaster's time, its ended children's, and its living
        children's."""
        return Cpu.process_seconds(self.pid, True) + sum(Cpu.process_seconds(pid) for pid in Cpu.children(self.pid))

    def stop(self):
        """Stops the server if it runs, whatever came before."""
        if os.path.exists(self.folder + "/data/postmaster.pid"):
            subprocess.run(self.user + [os.path.join(self.bin, "pg_ctl"), "-D", self.folder + "/data", "-m", "fast",
                                        "-w", "-t", "60", "stop"], capture_output=True, timeout=120)


class Servers:
    """The platform, zentrik-tool, PostgreSQL and ltijs, started in a
    temporary folder and stopped, all of them, by close()."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="tool-bench-")
        self.processes = []
        self.postgres = None
        self.logs = {}

    def start_all(self, zentrik, pages, ltijs_folder):
        zentrik_port, ltijs_port = free_port(), free_port()
        zentrik_base, ltijs_base = "http://localhost:%d" % zentrik_port, "http://localhost:%d" % ltijs_port
        self.scores = os.path.join(self.folder, "scores")
        os.mkdir(self.scores)
        platform = self.start("platform", [sys.executable, "-B", os.path.join(HERE, "tool_platform.py"),
                                           str(PLATFORM_PROCESSES), self.scores,
                                           "%s=%s/.well-known/jwks.json" % (ZENTRIK_CLIENT, zentrik_base),
                                           "%s=%s/keys" % (LTIJS_CLIENT, ltijs_base)], stdout=subprocess.PIPE)
        origin, *workers = platform.stdout.readline().split()
        self.platform, self.platform_workers = origin, [int(pid) for pid in workers]
        self.zentrik = self.start_zentrik(zentrik, pages, zentrik_port, zentrik_base)
        self.postgres = Postgres(self.folder)
        self.postgres.start()
        self.ltijs = self.start_ltijs(ltijs_folder, pages, ltijs_port, ltijs_base)

    def start(self, name, command, **options):
        self.logs[name] = open(os.path.join(self.folder, name + ".log"), "w+", encoding="utf-8")
        process = subprocess.Popen(command, stderr=self.logs[name], text=True, **options)
        self.processes.append(process)
        return process

    def log(self, name):
        self.logs[name].flush()
        self.logs[name].seek(0)
        return self.logs[name].read()[-3000:]

    def start_zentrik(self, program, pages, port, base):
        data = os.path.join(self.folder, "zentrik")
        os.mkdir(data, 0o700)
        registered = subprocess.run([program, "register", "--data", data, "--base-url", base,
                                     "--issuer", self.platform, "--client-id", ZENTRIK_CLIENT,
                                     "--auth-url", self.platform + "/auth", "--token-url", self.platform + "/token",
                                     "--jwks-url", self.platform + "/jwks", "--deployment", DEPLOYMENT],
                                    capture_output=True, text=True, timeout=60)
        if registered.returncode != 0:
            raise SystemExit("zentrik-tool register failed: " + registered.stderr)
        process = self.start("zentrik", [program, "--port", str(port), "--data", data, "--pages", pages,
                                         "--base-url", base], stdout=subprocess.DEVNULL)
        if not wait_for_port(port, process):
            raise SystemExit("zentrik-tool did not listen on %d: %s" % (port, self.log("zentrik")))
        return Tool("zentrik", base, "/launch", ZENTRIK_CLIENT, process, pages)

    def start_ltijs(self, folder, pages, port, base):
        process = self.start("ltijs", ["node", os.path.join(folder, "tool.js"), str(port),
                                       os.path.join(pages, "index.html"), self.platform, LTIJS_CLIENT,
                                       str(self.postgres.port)], stdout=subprocess.PIPE, cwd=folder)
        # ltijs-sequelize's migrations say what they do on standard output
        # before the tool says it listens.
        ready = threading.Timer(120, process.kill)
        ready.start()
        said = []
        for line in iter(process.stdout.readline, ""):
            if line.strip() == "listening":
                break
            said.append(line)
        ready.cancel()
        if process.poll() is not None or not wait_for_port(port, process):
            raise SystemExit("ltijs did not start: %s %s" % ("".join(said), self.log("ltijs")))
        return Tool("ltijs", base, "/", LTIJS_CLIENT, process, pages)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in self.processes:
            try:
                process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if self.postgres:
            self.postgres.stop()
        for log in self.logs.values():
            log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class Report:
    """A letter's report as the page's lti.js posts it: posted again after
    the pause the tool asks for while it says too fast. The tool took it at
    its last post."""

    def __init__(self, child, built):
        self.sub, self.built, self.posts = child_sub(child.login_hint), built, 0
        self.status = self.taken = self.answered = None

    def post(self, child, tool, token):
        body = json.dumps({"built": self.built, "letters": LETTER_COUNT}).encode()
        headers = {"Content-Type": "application/json", "Authorization": "Bearer " + token}
        while self.posts < 3:
            self.posts += 1
            self.taken = time.monotonic()
            self.status, answer, _ = child.request(tool.base + "/progress", headers=headers, body=body)
            self.answered = time.monotonic()
            if self.status != 429:
                break
            time.sleep(int(answer["Retry-After"]))

    def arrival(self, scores):
        """When the platform was first posted a score for the child as high
        as this letter's, after the tool took it."""
        percent = round(100 * self.built / LETTER_COUNT)
        times = [arrived for user, score, arrived in scores
                 if user == self.sub and score >= percent and arrived >= self.taken]
        return min(times) if times else None


def received_scores(folder):
    """Every score the platform was posted: (user, score, arrival)."""
    scores = []
    for path in glob.glob(os.path.join(folder, "scores.*")):
        with open(path, encoding="utf-8") as file:
            for line in file:
                user, score, arrived = line.split()
                scores.append((user, int(score), float(arrived)))
    return scores


def gradebook(servers, tool):
    """CLASS_SIZE children launched, each reporting letters 0 to 4 at the
    game's pace: from each report's post to the score's arrival, and to the
    report's answer."""
    children = [tool.new_child() for _ in range(CLASS_SIZE)]
    with concurrent.futures.ThreadPoolExecutor(CLASS_SIZE) as pool:
        launched = list(pool.map(lambda child: timed_launch(tool, servers.platform, child, time.monotonic(), True),
                                 children))
    if None in launched:
        raise SystemExit("the gradebook's launches were refused")
    sent = []

    def play(child):
        token = child.page.split('name="zentrik-play-token" content="')[1].split('"')[0]
        started = time.monotonic() + random.uniform(0, LETTER_PACE)
        for built in range(LETTERS_REPORTED):
            time.sleep(max(0.0, started + built * LETTER_PACE - time.monotonic()))
            report = Report(child, built)
            report.post(child, tool, token)
            sent.append(report)
        child.close()

    with concurrent.futures.ThreadPoolExecutor(CLASS_SIZE) as pool:
        list(pool.map(play, children))
    return sent


def main():
    zentrik, pages, ltijs_folder = map(os.path.abspath, sys.argv[1:4])
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 10
    burst = int(sys.argv[5]) if len(sys.argv) > 5 else 2000
    rate = float(sys.argv[6]) if len(sys.argv) > 6 else 200
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    servers = Servers()
    try:
        servers.start_all(zentrik, pages, ltijs_folder)
        measure(servers, rounds, burst, rate)
    finally:
        servers.close()


def measure(servers, rounds, burst, rate):
    tools = (servers.zentrik, servers.ltijs)
    cpu = Cpu({"zentrik": [lambda: Cpu.process_seconds(servers.zentrik.process.pid)],
               "ltijs": [lambda: Cpu.process_seconds(servers.ltijs.process.pid), servers.postgres.seconds],
               "platform": [lambda: sum(Cpu.process_seconds(pid) for pid in servers.platform_workers)]})
    time.sleep(1)
    print_memory("idle", tools)

    say("== a class of %d at once, %d rounds of each tool in turn" % (CLASS_SIZE, rounds))
    steps = {tool.name: Step() for tool in tools}
    with concurrent.futures.ThreadPoolExecutor(CLASS_SIZE) as pool:
        for _ in range(rounds):
            for tool in tools:
                steps[tool.name].measure(cpu, lambda: class_round(tool, servers.platform, pool))
    print_launches("class", steps)
    time.sleep(1)
    print_memory("class", tools)

    say("== a burst: %d launches at %g a second, each tool in turn" % (burst, rate))
    print("tool_burst_rate %g %d" % (rate, burst))
    steps = {tool.name: Step() for tool in tools}
    for tool in tools:
        steps[tool.name].measure(cpu, lambda: asyncio.run(open_loop(tool, servers.platform, burst, rate, False)))
    print_launches("burst", steps)

    kept = burst // 4
    say("== the burst's first %d launches, each child's browser keeping its connections open" % kept)
    steps = {tool.name: Step() for tool in tools}
    for tool in tools:
        steps[tool.name].measure(cpu, lambda: asyncio.run(open_loop(tool, servers.platform, kept, rate, True)))
    print_launches("kept", steps)

    say("== a letter to the gradebook: %d children, letters 0 to %d each" % (CLASS_SIZE, LETTERS_REPORTED - 1))
    print_gradebook(servers, gradebook(servers, servers.zentrik))


class Step:
    """A step's launches for one tool: their latencies (None for a launch
    refused or not answered in time), its length, and the time each party
    was on a core meanwhile."""

    def __init__(self):
        self.latencies, self.length, self.used = [], 0.0, {}

    def measure(self, cpu, run):
        before = cpu.reading()
        latencies, length = run()
        for party, seconds in Cpu.used(before, cpu.reading()).items():
            self.used[party] = self.used.get(party, 0.0) + seconds
        self.latencies += latencies
        self.length += length
        time.sleep(0.5)

    def answered(self):
        return [latency for latency in self.latencies if latency is not None]

    def percentiles(self):
        """A launch not answered counts as the step's limit, at least."""
        return percentiles([(STEP_LIMIT if latency is None else latency) * 1000 for latency in self.latencies])

    def per_launch_ms(self, party):
        return self.used[party] / max(1, len(self.answered())) * 1000


def print_memory(moment, tools):
    figures = {tool.name: memory(tool.process.pid) for tool in tools}
    say("%s: zentrik-tool VmRSS %d KB, VmHWM %d KB; ltijs (Node) VmRSS %d KB, VmHWM %d KB" % (
        moment, *figures["zentrik"], *figures["ltijs"]))
    print("tool_%s_rss_kb %d %d" % (moment, figures["zentrik"][0], figures["ltijs"][0]))
    print("tool_%s_hwm_kb %d %d" % (moment, figures["zentrik"][1], figures["ltijs"][1]))
    print("samples tool_%s_rss_kb 1 1" % moment)
    print("samples tool_%s_hwm_kb 1 1" % moment)


def print_launches(name, steps):
    zentrik, ltijs = steps["zentrik"], steps["ltijs"]
    for tool, step in steps.items():
        cores = {party: seconds / step.used["wall"] for party, seconds in step.used.items()}
        say("%s, %s: %d of %d launches in %.1f s, median %.1f ms, 99th %.1f ms; cores used: zentrik-tool %.2f, "
            "ltijs and PostgreSQL %.2f, platform %.2f, load %.2f; connections turned away by a full accept "
            "queue: %d" % (name, tool, len(step.answered()), len(step.latencies), step.length, *step.percentiles(),
                           cores["zentrik"], cores["ltijs"], cores["platform"], cores["load"],
                           step.used["overflows"]))
    figures = {
        "launches_per_s": [len(step.answered()) / step.length for step in (zentrik, ltijs)],
        "median_ms": [step.percentiles()[0] for step in (zentrik, ltijs)],
        "p99_ms": [step.percentiles()[1] for step in (zentrik, ltijs)],
        # Time on a core per launch: each tool's own (ltijs with its
        # PostgreSQL), and the platform's and the load's for its launches.
        "cpu_ms": [zentrik.per_launch_ms("zentrik"), ltijs.per_launch_ms("ltijs")],
        "platform_cpu_ms": [zentrik.per_launch_ms("platform"), ltijs.per_launch_ms("platform")],
        "load_core": [step.used["load"] / step.used["wall"] for step in (zentrik, ltijs)],
    }
    for key, (value, reference) in figures.items():
        print("tool_%s_%s %.2f %.2f" % (name, key, value, reference))
        print("samples tool_%s_%s %d %d" % (name, key, len(zentrik.latencies), len(ltijs.latencies)))
    print("tool_%s_failed %d %d" % (name, *(len(step.latencies) - len(step.answered()) for step in (zentrik, ltijs))))


def print_gradebook(servers, sent):
    deadline = time.monotonic() + ARRIVAL_LIMIT
    refused = sorted({report.status for report in sent if report.status != 204})
    if refused:
        raise SystemExit("reports refused: %s" % refused)
    while True:
        scores = received_scores(servers.scores)
        arrivals = [report.arrival(scores) for report in sent]
        if None not in arrivals or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    delays = [(arrived - report.taken) * 1000 for report, arrived in zip(sent, arrivals) if arrived is not None]
    answers = [(report.answered - report.taken) * 1000 for report in sent]
    say("gradebook: %d of %d letters arrived, %d scores posted; %d reports posted again after a 429" % (
        len(delays), len(sent), len(scores), sum(report.posts > 1 for report in sent)))
    median, p99 = percentiles(delays) if delays else (float("inf"), float("inf"))
    print("tool_gradebook_p99_ms %.1f %.1f" % (p99, percentiles(answers)[1]))
    print("tool_gradebook_median_ms %.1f %.1f" % (median, percentiles(answers)[0]))
    print("tool_gradebook_lost %d" % (len(sent) - len(delays)))
    print("samples tool_gradebook_p99_ms %d %d" % (len(delays), len(answers)))
    print("samples tool_gradebook_median_ms %d %d" % (len(delays), len(answers)))


if __name__ == "__main__":
    main()
