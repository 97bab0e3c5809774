"""A long run of the real binary: N windows monitoring every minute, restarted in the middle by
the menu exit and by kill -9, with a report every 5 minutes.

    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
        /usr/bin/python3 bench/soak.py [--windows 30] [--minutes 60] [--bin build/bin]

Each window watches a ~200 KB shop page of a local HTTP server on 127.0.0.1 for "价格\\d+";
every third window's price rises every --change-minutes, the others' never changes. Every
window mails its changes to a local SMTP server. The program is started, every page opened and
every window started through the accessibility tree; after the menu exit (at a third of the
run) and the kill (at two thirds) it is only started again: the windows must resume by
themselves. Each report line gives the total PSS of nuvaro and its engine processes, the size
of Browser/, Log/ and outbox.inf, the ticks per window in the last period (fewest, most), the
tick errors, the mails received, duplicates (a window's found text mailed twice), missed
ticks (a window silent for 90 s or more while the program ran) and how late ticks came after
their beat (90th percentile and worst); the end gives the whole run's lateness distribution.
The pages lie on --sites ports (sites) of 127.0.0.1, as a user's windows watch several shops.
"""
import argparse
import datetime
import http.server
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

from real_binary import (Installation, PageServer, applications, click, default_bin_dir, find,
                         machine_note, press_ok, process_tree, pss_by_group, shop_page, texts_of,
                         wait_for)

import pyatspi  # noqa: E402  (after real_binary, which sets the path)
from atspi_driver import find_all  # noqa: E402

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "scripts")
PERIOD_S = 300
LINE_TIME = re.compile(r"^(\d+-\d+-\d+(?: \d+:\d+:\d+)?)")


class SoakSite(PageServer):
    """The shop pages with a price: every third window's rises every `change_minutes`. The pages
    are served on `sites` ports of 127.0.0.1, window n's on port n % sites: each port is a site
    of its own to the program, whose loads of one site take turns."""

    def __init__(self, change_minutes, sites):
        self.started = time.monotonic()
        self.change_s = change_minutes * 60
        super().__init__()
        self.extra = []
        for _ in range(sites - 1):
            httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), self.httpd.RequestHandlerClass)
            threading.Thread(target=httpd.serve_forever, daemon=True).start()
            self.extra.append(httpd)
        self.ports = [self.port] + [h.server_address[1] for h in self.extra]

    def url(self, kind, window):
        return "http://127.0.0.1:%d/shop/%s/%d" % (self.ports[window % len(self.ports)], kind,
                                                   window)

    def close(self):
        for httpd in self.extra:
            httpd.shutdown()
        super().close()

    def price(self, window):
        steps = int((time.monotonic() - self.started) // self.change_s) if window % 3 == 0 else 0
        return 1000 + window * 10 + steps

    def page(self, kind, window):
        price = "<b>价格%d</b></body>" % self.price(window)
        return shop_page(kind, window).replace(b"</body>", price.encode())


def config_text(site, windows):
    order = ["User", "url", "RefreshTime", "Regx", "FromMail", "ToMail", "FromName", "Subject",
             "Charset", "Body", "SmsBody", "Mobile", "Contry", "SmsOpen", "EmailOpen",
             "OtherOpen", "OtherProgram", "OtherStr", "WindowName"]
    out = []
    for n in range(1, windows + 1):
        f = {"WindowName": "商城%d" % n, "url": site.url("static", n), "RefreshTime": "1",
             "Regx": "价格\\d+", "ToMail": "w%d@example.com" % n, "Subject": "Nuvaro提醒邮件",
             "Body": "{name}|{found}", "SmsOpen": "0", "EmailOpen": "1", "OtherOpen": "0"}
        out.append("[%d]\n" % n + "".join("%s=%s\n" % kv for kv in f.items()) + "all=" +
                   "".join(f.get(k, "") + "|" for k in order) + "\n")
    return "".join(out)


class Soak:
    def __init__(self, args):
        self.args = args
        self.site = SoakSite(args.change_minutes, args.sites)
        self.mailbox = tempfile.mkdtemp(prefix="nuvaro-soak-mail-")
        self.smtp = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SCRIPTS, "smtp_server.py"), "accept", self.mailbox],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        port = int(self.smtp.stdout.readline())
        self.inst = Installation(args.bin)
        self.inst.write("Config.inf", config_text(self.site, args.windows))
        self.inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\n" % port)
        self.lives = []  # [start, end] wall-clock times of each run of the program
        self.process = self.app = None

    # --- driving the program ----------------------------------------------------------------

    def start(self):
        self.lives.append([datetime.datetime.now(), None])
        self.process = self.inst.start()
        self.app = wait_for(lambda: next(applications(self.process.pid), None), timeout=120)
        self.tabs = wait_for(lambda: next((t for t in find(self.app, "page tab list")
                                           if t.childCount == self.args.windows), None),
                             timeout=120)

    def show_tab(self, i):
        self.tabs.querySelection().selectChild(i)
        tab = self.tabs.getChildAtIndex(i)
        wait_for(lambda: tab.getState().contains(pyatspi.STATE_SHOWING), timeout=20)
        return tab

    def first_start(self):
        """Every page opened and every window started by hand, as a user does once."""
        self.start()
        for i in range(self.args.windows):
            tab = self.show_tab(i)
            wait_for(lambda: next(iter(find(tab, "push button", "打开网页")), None),
                     timeout=20).queryAction().doAction(0)
        wait_for(lambda: len(self.site.loaded) >= self.args.windows, timeout=300, interval=0.5)
        for i in range(self.args.windows):
            tab = self.show_tab(i)
            click(wait_for(lambda: next(iter(find(tab, "push button", "开始监控")), None),
                           timeout=20))
            box = wait_for(lambda: next((a for a in find(self.app, "alert")
                                         if any("开始自动监控" in t for t in texts_of(a))), None),
                           timeout=30)
            press_ok(box)
            wait_for(lambda: not find(self.app, "alert"), timeout=30)
        self.show_tab(0)
        self.lives[0][0] = datetime.datetime.now()  # silence while clicking is no missed tick

    def ended(self):
        self.process.wait(60)
        self.lives[-1][1] = datetime.datetime.now()

    def exit_by_menu(self):
        menu = wait_for(lambda: [m for m in find(self.app, "menu")
                                 if m.name.startswith("系统设置")] or None)[0]
        click(menu)
        item = wait_for(lambda: next((m for m in find(self.app, "menu item", "退  出")
                                      if m.getState().contains(pyatspi.STATE_SHOWING)), None))
        click(item)
        box = wait_for(lambda: next((a for a in find(self.app, "alert")
                                     if any("您真的要退出" in t for t in texts_of(a))), None))
        # The box holds no browser: its whole tree may be walked.
        next(b for b in find_all(box, "push button") if b.name == "是").queryAction().doAction(0)
        self.ended()

    def kill(self):
        tree = [pid for pid, _ in process_tree(self.process.pid)]
        os.kill(self.process.pid, signal.SIGKILL)
        self.ended()
        # Its engine processes must end with it, not linger as orphans.
        time.sleep(10)
        left = [pid for pid in tree if os.path.exists("/proc/%d" % pid)]
        print("      %d of its %d processes still running 10 s after the kill"
              % (len(left), len(tree)), flush=True)

    # --- what happened -------------------------------------------------------------------------

    def log_lines(self, name):
        try:
            with open(os.path.join(self.inst.folder, "Log", name), "rb") as f:
                return f.read().decode("gbk", "replace").splitlines()
        except FileNotFoundError:
            return []

    def ticks(self):
        """(time, window name, error?) of every tick that ended, from the two logs."""
        out = []
        for name, error in (("informlog.txt", False), ("errorlog.txt", True)):
            for line in self.log_lines(name):
                m = LINE_TIME.match(line)
                groups = re.findall(r"\[([^\]]*)\]", line)
                window = (groups[1] if error else groups[-1]) if len(groups) >= 2 else ""
                if not m or not window.startswith("商城"):
                    continue
                stamp = m.group(1) if " " in m.group(1) else m.group(1) + " 0:00:00"
                out.append((datetime.datetime.strptime(stamp, "%Y-%m-%d %H:%M:%S"), window, error))
        return sorted(out)

    def mails(self):
        found = []
        for entry in os.listdir(self.mailbox):
            if entry.startswith("msg-"):
                with open(os.path.join(self.mailbox, entry, "body"), encoding="utf-8") as f:
                    found.append(f.read().strip())
        return found

    def missed(self, ticks, now):
        """Minute beats a window let pass without a tick while the program ran."""
        missed = 0
        for n in range(1, self.args.windows + 1):
            times = [t for t, w, _ in ticks if w == "商城%d" % n]
            for start, end in self.lives:
                end = end or now
                # The first tick is due a minute after the start; allow half a minute of turns.
                marks = [start] + [t for t in times if start <= t <= end]
                if end - marks[-1] >= datetime.timedelta(seconds=90):
                    marks.append(end)
                for a, b in zip(marks, marks[1:]):
                    missed += max(0, int(((b - a).total_seconds() + 30) // 60) - 1)
        return missed

    def lateness(self, ticks, now, since=None):
        """Seconds each tick came after its beat. A window keeps the beat of its start, a minute
        apart; its beat is taken from its most punctual tick of that run (so the figures are what
        ticks lagged behind the best one, a lower bound that misses at most its ~1 s of work)."""
        late = []
        for n in range(1, self.args.windows + 1):
            times = [t for t, w, _ in ticks if w == "商城%d" % n]
            for start, end in self.lives:
                run = [t for t in times if start <= t <= (end or now)]
                if not run:
                    continue
                offsets = []
                for t in run:
                    s = (t - run[0]).total_seconds()
                    offsets.append((t, s - round(s / 60) * 60))
                best = min(o for _, o in offsets)
                late += [o - best for t, o in offsets if since is None or t >= since]
        return sorted(late)

    @staticmethod
    def percentile(values, p):
        return values[min(len(values) - 1, int(len(values) * p / 100))] if values else 0

    def lateness_summary(self, late):
        buckets = [(0, 2), (2, 5), (5, 10), (10, 15), (15, 30), (30, 60), (60, None)]
        parts = []
        for low, high in buckets:
            count = sum(1 for v in late if v >= low and (high is None or v < high))
            parts.append("%s-%s s: %d" % (low, high if high is not None else "", count))
        return ("ticks %d, lateness p50 %.0f s, p90 %.0f s, p99 %.0f s, max %.0f s; %s" % (
            len(late), self.percentile(late, 50), self.percentile(late, 90),
            self.percentile(late, 99), late[-1] if late else 0, ", ".join(parts)))

    def size(self, path):
        path = os.path.join(self.inst.folder, path)
        if os.path.isfile(path):
            return os.path.getsize(path)
        total = 0
        for root, _, files in os.walk(path):
            for f in files:
                try:
                    total += os.path.getsize(os.path.join(root, f))
                except OSError:
                    pass
        return total

    def report(self, minute, since, note=""):
        now = datetime.datetime.now()
        ticks = self.ticks()
        recent = [w for t, w, _ in ticks if t >= since]
        per = [recent.count("商城%d" % n) for n in range(1, self.args.windows + 1)]
        errors = sum(1 for t, _, e in ticks if e and t >= since)
        mails = self.mails()
        duplicates = len(mails) - len(set(mails))
        pss = sum(pss_by_group(self.process.pid)[0].values()) / 1024 if self.process else 0
        late = self.lateness(ticks, now, since)
        print("%5.0f %8.0f %10.0f %8.0f %7d %6d-%-3d %6d %7d %5d %6d %4.0f %4.0f  %s" % (
            minute, pss, self.size("Browser") / 1024, self.size("Log") / 1024,
            self.size("outbox.inf"), min(per), max(per), errors, len(mails), duplicates,
            self.missed(ticks, now), self.percentile(late, 90), late[-1] if late else 0, note),
            flush=True)
        return pss

    def close(self):
        self.inst.close()
        self.site.close()
        self.smtp.stdin.close()
        self.smtp.wait(10)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=default_bin_dir(), help="folder of the built program")
    parser.add_argument("--windows", type=int, default=30)
    parser.add_argument("--minutes", type=float, default=60, help="length of the run")
    parser.add_argument("--sites", type=int, default=10,
                        help="ports of 127.0.0.1 the pages are spread over (sites)")
    parser.add_argument("--change-minutes", type=float, default=10,
                        help="how often the changing prices rise")
    args = parser.parse_args()
    print(machine_note())
    soak = Soak(args)
    try:
        soak.first_start()
        begun = time.monotonic()
        restarts = [(args.minutes / 3, "exit by menu, started again", soak.exit_by_menu),
                    (args.minutes * 2 / 3, "kill -9, started again", soak.kill)]
        print(" min   PSS MB Browser KB   Log KB outbox B ticks/win errors   mails  dups missed"
              "  p90  max (lateness, s)")
        since = datetime.datetime.now()
        next_report = PERIOD_S
        while True:
            elapsed = time.monotonic() - begun
            if restarts and elapsed >= restarts[0][0] * 60:
                _, note, stop = restarts.pop(0)
                stop()
                soak.start()
                print("%5.0f %s" % (elapsed / 60, note), flush=True)
            if elapsed >= next_report:
                soak.report(elapsed / 60, since)
                since = datetime.datetime.now()
                next_report += PERIOD_S
            if elapsed >= args.minutes * 60:
                break
            time.sleep(1)
        soak.exit_by_menu()
        soak.process = None
        soak.report(args.minutes, since, "after the last exit")
        print("whole run: " + soak.lateness_summary(
            soak.lateness(soak.ticks(), datetime.datetime.now())), flush=True)
        return 0
    finally:
        soak.close()


if __name__ == "__main__":
    sys.exit(main())
