"""The real binary with many windows on local shop pages, for the memory, CPU and traffic
benchmarks.

Starts a local HTTP server on 127.0.0.1 with ~200 KB shop pages of three kinds (static, a 1 s
script timer, a CSS animation) and a fourth with pictures and scripts that may be kept for an
hour (assets), a portable installation of build/bin with one Config.inf section per window, and
drives the program through the accessibility tree: it opens every window's page, starts
monitoring, and measures the program's process tree from /proc and what the server sent.
"""
import hashlib
import http.server
import os
import random
import struct
import subprocess
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "blackbox"))

import pyatspi  # noqa: E402

from atspi_driver import Installation, applications, press_ok, texts_of, wait_for  # noqa: E402

KINDS = ("static", "timer", "anim")
PAGE_KINDS = KINDS + ("assets",)
PAGE_BYTES = 200 * 1024
# The condition never matches: every tick ends with "nothing found", no notice is sent.
CONDITION = "本页面不会出现的词"

_STYLE = """body{font-family:sans-serif;margin:0}header{background:#c00;color:#fff;padding:8px}
.grid{display:flex;flex-wrap:wrap}.card{width:180px;margin:6px;border:1px solid #ddd;padding:4px}
.price{color:#c00;font-weight:bold}.spin{width:40px;height:40px;background:#fc0;
animation:spin 1s linear infinite}@keyframes spin{from{transform:rotate(0)}to{transform:rotate(360deg)}}"""

_SCRIPTS = {
    "static": "",
    "timer": "setInterval(function(){document.getElementById('clock').textContent="
             "new Date().toLocaleTimeString();},1000);",
    "anim": "",
    "assets": "",
}

ASSET_PICTURES = 4
ASSET_SCRIPTS = 2


def _png(width, height, seed):
    """A valid PNG of noise that does not compress (about width * height * 3 bytes)."""
    rnd = random.Random(seed)
    raw = b"".join(b"\x00" + bytes(rnd.getrandbits(8) for _ in range(width * 3))
                   for _ in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 0)) + chunk(b"IEND", b""))


# Pictures of ~60 KB and scripts of ~40 KB, the same for every window, as a shop's are.
ASSETS = {}
for _i in range(ASSET_PICTURES):
    ASSETS["pic%d.png" % _i] = (_png(120, 160, _i), "image/png")
for _i in range(ASSET_SCRIPTS):
    ASSETS["lib%d.js" % _i] = (("var lib%d={};/*" % _i + "x" * 40000 + "*/").encode(),
                               "application/javascript")


def shop_page(kind, window):
    """A shop-like page of about PAGE_BYTES that reports /loaded/<window> once loaded."""
    head = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>商城 %d</title>"
            "<style>%s</style></head><body><header>优选商城 窗口%d <span id=\"clock\"></span>"
            "%s</header><div class=\"grid\">\n"
            % (window, _STYLE, window, "<div class=\"spin\"></div>" if kind == "anim" else ""))
    assets = ""
    if kind == "assets":
        assets = "".join('<img src="/asset/pic%d.png" width="60">' % i for i in range(ASSET_PICTURES))
        assets += "".join('<script src="/asset/lib%d.js"></script>' % i for i in range(ASSET_SCRIPTS))
    tail = ("</div>%s<script>%s addEventListener('load',function(){fetch('/loaded/%d');});"
            "</script></body></html>" % (assets, _SCRIPTS[kind], window))
    cards = []
    size = len(head.encode()) + len(tail.encode())
    i = 0
    while size < PAGE_BYTES:
        card = ("<div class=\"card\"><a href=\"/item/%d\">新款笔记本电脑 第%d代 轻薄便携</a>"
                "<p>商品编号 %06d，库存充足，全国包邮，七天无理由退换。</p>"
                "<span class=\"price\">售价：￥%d.00</span></div>\n" % (i, i, i, 1000 + i * 37 % 9000))
        cards.append(card)
        size += len(card.encode())
        i += 1
    return (head + "".join(cards) + tail).encode()


class PageServer:
    """Serves /shop/<kind>/<window> and the shared /asset/<name>, records which windows reported
    /loaded/<window>, and counts what it sent (bytes of status line, headers and body)."""

    def __init__(self):
        self.loaded = set()
        self.requests = 0
        self.lock = threading.Lock()
        self.reset_traffic()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                parts = self.path.strip("/").split("/")
                server.requests += 1
                cache = "no-cache"
                etag = None
                if parts[0] == "shop" and len(parts) == 3 and parts[1] in PAGE_KINDS:
                    body = server.page(parts[1], int(parts[2]))
                    ctype, what = "text/html; charset=utf-8", "page"
                elif parts[0] == "asset" and len(parts) == 2 and parts[1] in ASSETS:
                    body, ctype = ASSETS[parts[1]]
                    what, cache = "asset", "max-age=3600"
                    etag = '"%s"' % hashlib.md5(body).hexdigest()
                elif parts[0] == "loaded" and len(parts) == 2:
                    server.loaded.add(int(parts[1]))
                    body, ctype, what = b"ok", "text/plain", "report"
                else:
                    self.send_error(404)
                    return
                status = 200
                if etag and self.headers.get("If-None-Match") == etag:
                    status, body = 304, b""
                headers = [("Cache-Control", cache)]
                if etag:
                    headers.append(("ETag", etag))
                if status == 200:
                    headers += [("Content-Type", ctype), ("Content-Length", str(len(body)))]
                self.send_response(status)
                for name, value in headers:
                    self.send_header(name, value)
                self.end_headers()
                self.wfile.write(body)
                head = len("HTTP/1.1 %d OK\r\n\r\n" % status) + sum(len(n) + len(v) + 4 for n, v in headers)
                server.count(what, status, head + len(body))

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def reset_traffic(self):
        """Starts counting anew: bytes and responses by (what, status)."""
        with self.lock:
            self.traffic = {}

    def count(self, what, status, sent):
        with self.lock:
            responses, total = self.traffic.get((what, status), (0, 0))
            self.traffic[(what, status)] = (responses + 1, total + sent)

    def page(self, kind, window):
        return shop_page(kind, window)

    def url(self, kind, window):
        return "http://127.0.0.1:%d/shop/%s/%d" % (self.port, kind, window)

    def close(self):
        self.httpd.shutdown()


def config_text(server, kind, windows, minutes=1):
    """Config.inf with sections "1".."windows", each on its own page with a condition."""
    out = []
    for n in range(1, windows + 1):
        out.append("[%d]\nWindowName=商城%d\nurl=%s\nRefreshTime=%d\nRegx=%s\n"
                   "SmsOpen=0\nEmailOpen=0\nOtherOpen=0\n"
                   % (n, n, server.url(kind, n), minutes, CONDITION))
    return "".join(out)


# Subtrees not walked: the pages' own accessible content is large and lives in other processes.
_PRUNED = {"document web", "document frame", "embedded", "scroll pane"}


def _hosts_browser(node):
    """The browser's host, a filler with the view as its only child. Asking the view for its
    children makes every web process build and keep an accessible tree of its page at each load,
    which no user without a screen reader pays for; the benchmark stops above it."""
    return node.getRoleName() == "filler" and node.childCount == 1


def walk(node, depth=0, limit=30):
    if node is None or depth > limit:
        return
    yield node
    if node.getRoleName() in _PRUNED or _hosts_browser(node):
        return
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1, limit)


def find(root, role, name=None):
    return [n for n in walk(root) if n.getRoleName() == role and (name is None or n.name == name)]


def click(node):
    """A real mouse click at the centre of a control (a handler that opens a modal box needs it)."""
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, "b1c")


class Program:
    """The real binary with `windows` windows on pages of `kind`, driven through its tabs."""

    def __init__(self, bin_dir, server, kind, windows, tray=False):
        self.server = server
        self.windows = windows
        self.inst = Installation(bin_dir)
        # A notification area (trayer) to hide the window into, there before the program starts.
        self.tray = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right",
                                      "--widthtype", "request", "--height", "24"],
                                     stderr=subprocess.DEVNULL) if tray else None
        try:
            if self.tray:
                wait_for(self._tray_window, timeout=20)
            self.inst.write("Config.inf", config_text(server, kind, windows))
            self.process = self.inst.start()
            self.app = wait_for(lambda: next(applications(self.process.pid), None), timeout=120)
            self.tab_list = wait_for(lambda: self._full_tab_list(), timeout=120)
        except BaseException:
            self.close()
            raise

    def _full_tab_list(self):
        lists = find(self.app, "page tab list")
        return next((t for t in lists if t.childCount == self.windows), None)

    def show_tab(self, i):
        """Selects tab i (0-based) and returns it once it is on screen."""
        self.tab_list.querySelection().selectChild(i)
        tab = self.tab_list.getChildAtIndex(i)
        wait_for(lambda: tab.getState().contains(pyatspi.STATE_SELECTED)
                 and tab.getState().contains(pyatspi.STATE_SHOWING), timeout=20)
        return tab

    def button(self, tab, label):
        return wait_for(lambda: next(iter(find(tab, "push button", label)), None), timeout=20)

    def open_all_pages(self, timeout=300):
        """Presses "打开网页" in every tab and waits until every page reported its load."""
        for i in range(self.windows):
            tab = self.show_tab(i)
            self.button(tab, "打开网页").queryAction().doAction(0)
        wait_for(lambda: len(self.server.loaded) >= self.windows, timeout=timeout, interval=0.5)

    def start_monitoring(self):
        """Presses "开始监控" in every tab (a real click) and answers the box it opens."""
        for i in range(self.windows):
            tab = self.show_tab(i)
            click(self.button(tab, "开始监控"))
            box = wait_for(lambda: next((a for a in find(self.app, "alert")
                                         if any("开始自动监控" in t for t in texts_of(a))), None),
                           timeout=30)
            press_ok(box)
            wait_for(lambda: not find(self.app, "alert"), timeout=30)
        self.show_tab(0)

    def _tray_window(self):
        """trayer's panel: its largest window (it also keeps a small unmapped leader)."""
        found = subprocess.run(["xdotool", "search", "--class", "trayer"], capture_output=True,
                               text=True).stdout.split()
        return max(found, key=lambda w: self._area(w), default=None)

    @staticmethod
    def _geometry(window):
        shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                               capture_output=True, text=True).stdout
        return {k: int(v) for k, v in (line.split("=", 1) for line in shell.split() if "=" in line)
                if v.lstrip("-").isdigit()}

    def _area(self, window):
        g = self._geometry(window)
        return g.get("WIDTH", 0) * g.get("HEIGHT", 0)

    def _frame_shown(self):
        frames = find(self.app, "frame")
        return bool(frames) and frames[0].getState().contains(pyatspi.STATE_SHOWING)

    def toggle_tray(self, shown):
        """Double-clicks the program's icon in the notification area, as a user hides or brings
        back the window, and waits until the window is hidden or `shown`."""
        g = self._geometry(self._tray_window())
        x, y = g["X"] + g["WIDTH"] // 2, g["Y"] + g["HEIGHT"] // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2",
                        "--delay", "100", "1"], check=True)
        wait_for(lambda: self._frame_shown() == shown, timeout=20)

    def close(self):
        self.inst.close()
        if self.tray:
            self.tray.terminate()
            self.tray.wait(10)


def process_tree(root_pid):
    """The pid and name of the root and of all its descendants."""
    children = {}
    names = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        pid = int(entry)
        names[pid] = stat[stat.index("(") + 1:stat.rindex(")")]
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(pid)
    out, todo = [], [root_pid]
    while todo:
        pid = todo.pop()
        if pid in names:
            out.append((pid, names[pid]))
            todo.extend(children.get(pid, []))
    return out


def pss_kb(pid):
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def cpu_ticks(pid):
    """utime + stime of a process, in clock ticks (0 once it is gone)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except OSError:
        return 0


def group(name, root_pid, pid):
    """nuvaro itself, or the kind of engine process (WebKitWebProcess, WebKitNetworkProcess...)."""
    if pid == root_pid:
        return "nuvaro"
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return os.path.basename(f.read().split(b"\0")[0].decode()) or name
    except OSError:
        return name


def pss_by_group(root_pid):
    totals, counts = {}, {}
    for pid, name in process_tree(root_pid):
        key = group(name, root_pid, pid)
        totals[key] = totals.get(key, 0) + pss_kb(pid)
        counts[key] = counts.get(key, 0) + 1
    return totals, counts


def wait_settled(root_pid, quiet_s=10.0, tolerance=0.02, timeout=120.0):
    """Waits until the total PSS changed by less than `tolerance` over `quiet_s`."""
    deadline = time.monotonic() + timeout
    last = sum(pss_by_group(root_pid)[0].values())
    while time.monotonic() < deadline:
        time.sleep(quiet_s)
        now = sum(pss_by_group(root_pid)[0].values())
        if abs(now - last) <= tolerance * max(last, 1):
            return
        last = now


def cpu_by_group(root_pid, seconds):
    """Per group, % of one core over `seconds` (processes that appear meanwhile count from 0)."""
    tick = os.sysconf("SC_CLK_TCK")
    before = {pid: cpu_ticks(pid) for pid, _ in process_tree(root_pid)}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    totals = {}
    for pid, name in process_tree(root_pid):
        key = group(name, root_pid, pid)
        used = cpu_ticks(pid) - before.get(pid, 0)
        totals[key] = totals.get(key, 0.0) + 100.0 * used / tick / elapsed
    return totals



def verdicts(program):
    """Lines of the verdict log so far: one per tick that reached a verdict."""
    try:
        with open(os.path.join(program.inst.folder, "Log", "informlog.txt"), "rb") as f:
            return f.read().count(b"\n")
    except OSError:
        return 0

def default_bin_dir():
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "bin")


def machine_note():
    with open("/proc/loadavg") as f:
        load = f.read().split()[:3]
    return "%d cores, load average %s before the run" % (os.cpu_count(), " ".join(load))
