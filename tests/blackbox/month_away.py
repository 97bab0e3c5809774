"""The real binary keeps watching across restarts. Two windows monitor; their changes are found
while the mail server is down, so the mails wait in the outbox; the program is killed outright.
After the restart, with the mail server up, both windows monitor again without a click or a
box, each mail arrives once (with the Message-ID it had from the start), and the unchanged
values are repeats, not second mails. A menu exit resumes too; with "启动时恢复监控" turned off,
the next start leaves every window stopped."""
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile

import pyatspi

from atspi_driver import (Installation, applications, click, find_all, press_ok, shown,
                          texts_of, wait_for)
from local_site import LocalSite
from logins import exit_by_menu

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts")
PAGES = {"/price": "<p>价格128</p>", "/stock": "<p>库存5</p>"}
WINDOWS = [  # slot, name, path, condition, recipient
    (1, "价格", "/price", "价格\\d+", "price@example.com"),
    (2, "库存", "/stock", "库存\\d+", "stock@example.com"),
]


def config_text(site):
    out = []
    for slot, name, path, regx, to in WINDOWS:
        fields = {"WindowName": name, "url": site.url(path), "RefreshTime": "1", "Regx": regx,
                  "ToMail": to, "Subject": "Nuvaro提醒邮件", "Body": "{name}：{found}",
                  "SmsOpen": "0", "EmailOpen": "1", "OtherOpen": "0"}
        order = ["User", "url", "RefreshTime", "Regx", "FromMail", "ToMail", "FromName",
                 "Subject", "Charset", "Body", "SmsBody", "Mobile", "Contry", "SmsOpen",
                 "EmailOpen", "OtherOpen", "OtherProgram", "OtherStr", "WindowName"]
        record = "".join(fields.get(key, "") + "|" for key in order)
        out.append("[%d]\n" % slot + "".join("%s=%s\n" % kv for kv in fields.items()) +
                   "all=" + record + "\n")
    return "".join(out)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def read_log(inst, name):
    try:
        with open(os.path.join(inst.folder, "Log", name), "rb") as f:
            return f.read().decode("gbk").splitlines()
    except FileNotFoundError:
        return []


def outbox_ids(inst):
    try:
        with open(os.path.join(inst.folder, "outbox.inf"), "rb") as f:
            text = f.read().decode("gbk")
    except FileNotFoundError:
        return []
    return sorted(re.findall(r"^Id=~ML~(.*?)\r?$", text, re.M))


def start(inst):
    p = inst.start()
    app = wait_for(lambda: next(applications(p.pid), None), timeout=60)
    wait_for(lambda: len(find_all(app, "page tab")) == len(WINDOWS), timeout=60)
    return p, app


def captions(app):
    return sorted(b.name for b in find_all(app, "push button") if b.name in ("开始监控", "停止监控"))


def start_monitoring_by_hand(app):
    """The first start: each window's page opened and its monitoring started with clicks."""
    for i in range(len(WINDOWS)):
        tab = find_all(app, "page tab")[i]
        click(tab)
        wait_for(lambda: tab.getState().contains(pyatspi.STATE_SELECTED))
        click(wait_for(lambda: shown(find_all(app, "push button", "打开网页")) or None)[0])
        click(wait_for(lambda: shown(find_all(app, "push button", "开始监控")) or None)[0])
        box = wait_for(lambda: next((a for a in find_all(app, "alert")
                                     if any("开始自动监控" in t for t in texts_of(a))), None))
        press_ok(box)
        wait_for(lambda: not find_all(app, "alert"))
    wait_for(lambda: captions(app) == ["停止监控"] * len(WINDOWS))


def uncheck_resume(app):
    menu = wait_for(lambda: [m for m in find_all(app, "menu") if m.name.startswith("系统设置")]
                    or None)
    click(menu[0])
    item = wait_for(lambda: shown(find_all(app, "check menu item", "启动时恢复监控")) or None)[0]
    assert item.getState().contains(pyatspi.STATE_CHECKED), "resume is off by default"
    click(item)


def main(bin_dir):
    site = LocalSite(lambda path, headers: (200, {}, PAGES.get(path, "")))
    inst = Installation(bin_dir)
    port = free_port()
    mailbox = tempfile.mkdtemp(prefix="nuvaro-mailbox-")
    smtp = None
    try:
        inst.write("Config.inf", config_text(site))
        inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\nTimeout=10\n" % port)
        p, app = start(inst)
        start_monitoring_by_hand(app)
        # The first ticks find the values; the mail server is not there yet.
        wait_for(lambda: len([l for l in read_log(inst, "sendlog.txt") if "[try 1] FAILED" in l])
                 == len(WINDOWS), timeout=150, interval=1)
        ids = wait_for(lambda: len(outbox_ids(inst)) == len(WINDOWS) and outbox_ids(inst))
        os.kill(p.pid, signal.SIGKILL)
        p.wait(10)

        smtp = subprocess.Popen(["/usr/bin/python3", os.path.join(SCRIPTS, "smtp_server.py"),
                                 "accept", mailbox, str(port)],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        assert int(smtp.stdout.readline()) == port
        p, app = start(inst)
        wait_for(lambda: captions(app) == ["停止监控"] * len(WINDOWS), timeout=30)
        assert not find_all(app, "alert"), "a box at the start"
        messages = lambda: sorted(m for m in os.listdir(mailbox) if m.startswith("msg-"))
        wait_for(lambda: len(messages()) == len(WINDOWS), timeout=90, interval=1)

        # The first tick after the restart sees the same values: repeats, no second mail.
        changes = len(read_log(inst, "informlog.txt"))
        wait_for(lambda: len(read_log(inst, "informlog.txt")) >= changes + len(WINDOWS),
                 timeout=150, interval=1)
        repeats = read_log(inst, "informlog.txt")[changes:]
        assert all("发现重复提醒信息，跳过" in line for line in repeats), repeats
        assert len(messages()) == len(WINDOWS), messages()
        sent = []
        for m in messages():
            with open(os.path.join(mailbox, m, "message_id")) as f:
                sent.append(f.read().strip("<>").split("@")[0])
        assert sorted(sent) == ids, (sent, ids)
        assert outbox_ids(inst) == [], "the outbox kept a delivered notice"

        # A menu exit resumes as well; turned off, the next start leaves every window stopped.
        exit_by_menu(app, p)
        p, app = start(inst)
        wait_for(lambda: captions(app) == ["停止监控"] * len(WINDOWS), timeout=30)
        uncheck_resume(app)
        exit_by_menu(app, p)
        p, app = start(inst)
        wait_for(lambda: captions(app) == ["开始监控"] * len(WINDOWS), timeout=30)
        assert p.poll() is None, "the program ended"
        print("ok")
        return 0
    finally:
        inst.close()
        site.close()
        if smtp:
            smtp.stdin.close()
            smtp.wait(10)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
