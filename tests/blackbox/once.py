"""Every notice once, with the real binary and a real SMTP server on 127.0.0.1.

1. Killed between writing a change's mail to the outbox and saving the window's last notified
   text (the test-only NUVARO_TEST_KILL_AT stops the process right there, as a kill would): the
   next start sends the mail once, from the outbox, and its first tick is a repeat.
2. Two copies started on one folder from two sessions (different runtime folders): one says in
   a box that the folder is in use and ends; the 20 mails waiting in the outbox arrive once each.
3. Ended by the system (SIGTERM, as at a logout or shutdown) while a dialog is open: it closes
   the dialog, logs the request and ends cleanly; the next start's first tick is a repeat.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

from atspi_driver import (Installation, applications, click, find_all, press_ok, shown, texts_of,
                          wait_for, window as dialog_titled)
from local_site import LocalSite
from month_away import free_port, outbox_ids, read_log

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts")
FOLDER_IN_USE = "本文件夹中的本软件已在运行"
FIELDS = ["User", "url", "RefreshTime", "Regx", "FromMail", "ToMail", "FromName", "Subject",
          "Charset", "Body", "SmsBody", "Mobile", "Contry", "SmsOpen", "EmailOpen", "OtherOpen",
          "OtherProgram", "OtherStr", "WindowName"]


def window(url):
    """Slot 2 (the first added window): watches a price every minute and mails it."""
    fields = {"WindowName": "价格", "url": url, "RefreshTime": "1", "Regx": "价格\\d+",
              "ToMail": "price@example.com", "Subject": "Nuvaro提醒邮件", "Body": "{found}",
              "SmsOpen": "0", "EmailOpen": "1", "OtherOpen": "0"}
    record = "".join(fields.get(key, "") + "|" for key in FIELDS)
    return ("[1]\nWindowName=默认\n[2]\n" + "".join("%s=%s\n" % kv for kv in fields.items()) +
            "all=" + record + "\n"), record


class Mailbox:
    def __init__(self, port):
        self.folder = tempfile.mkdtemp(prefix="nuvaro-mailbox-")
        self.server = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SCRIPTS, "smtp_server.py"), "accept", self.folder,
             str(port)], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        assert int(self.server.stdout.readline()) == port

    def ids(self):
        out = []
        for m in sorted(n for n in os.listdir(self.folder) if n.startswith("msg-")):
            with open(os.path.join(self.folder, m, "message_id")) as f:
                out.append(f.read().strip().strip("<>").split("@")[0])
        return out

    def close(self):
        self.server.stdin.close()
        self.server.wait(10)


def killed_between_outbox_and_state(bin_dir):
    site = LocalSite(lambda path, headers: (200, {}, "<p>价格128</p>"))
    inst = Installation(bin_dir)
    port = free_port()
    mailbox = None
    try:
        config, _ = window(site.url("/price"))
        inst.write("Config.inf", config)
        inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\nTimeout=10\n" % port)
        inst.write("runstate.inf", "[Start]\nResume=1\n[2]\nMonitoring=1\n")
        # No mail server yet: nothing can leave before the kill.
        inst.env["NUVARO_TEST_KILL_AT"] = "dispatched"
        p = inst.start()
        assert p.wait(180) == 137, "the program did not stop at the test point"
        ids = outbox_ids(inst)
        assert len(ids) == 1, ids
        with open(os.path.join(inst.folder, "runstate.inf"), "rb") as f:
            assert b"LastMatch" not in f.read(), "the run state was saved before the kill"

        del inst.env["NUVARO_TEST_KILL_AT"]
        mailbox = Mailbox(port)
        p = inst.start()
        wait_for(lambda: len(mailbox.ids()) == 1, timeout=90, interval=1)
        # The first tick after the restart sees the notified price: a repeat, no second mail.
        wait_for(lambda: any("发现重复提醒信息，跳过" in line
                             for line in read_log(inst, "informlog.txt")), timeout=150, interval=1)
        lines = read_log(inst, "informlog.txt")
        assert not any("监控点信息发生变化" in line for line in lines), lines
        assert mailbox.ids() == ids, (mailbox.ids(), ids)
        assert outbox_ids(inst) == []
        assert p.poll() is None, "the program ended"
    finally:
        inst.close()
        site.close()
        if mailbox:
            mailbox.close()


def waiting_mails(record, count):
    now = int(time.time())
    out = []
    for i in range(count):
        out.append("[once%02d-1]\nChannel=EMAIL\nSlot=2\nWindow=价格\nRecipient=r%d@example.com\n"
                   "Record=%s\nFound=价格%d\nId=once%02d\nRaised=%d\nAttempt=1\nDue=%d\n"
                   % (i, i, record, i, i, now, now))
    return "".join(out)


def pending(inst):
    """Entries left in the outbox."""
    with open(os.path.join(inst.folder, "outbox.inf"), "rb") as f:
        return len(re.findall(rb"^\[", f.read(), re.M))


def two_copies_on_one_folder(bin_dir):
    inst = Installation(bin_dir)
    port = free_port()
    mailbox = Mailbox(port)
    count = 20
    try:
        config, record = window("about:blank")
        inst.write("Config.inf", config)
        inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\nTimeout=10\n" % port)
        inst.write("outbox.inf", waiting_mails(record, count))
        copies = []
        for session in ("one", "two"):
            runtime = os.path.join(inst.root, "runtime-" + session)
            os.makedirs(runtime, mode=0o700)
            inst.env["XDG_RUNTIME_DIR"] = runtime
            copies.append(inst.start())
        # One copy says that the folder is in use, and ends when told.
        box = wait_for(lambda: next((a for p in copies for app in applications(p.pid)
                                     for a in find_all(app, "alert")
                                     if any(FOLDER_IN_USE in t for t in texts_of(a))), None),
                       timeout=60)
        press_ok(box)
        wait_for(lambda: sum(p.poll() is not None for p in copies) == 1, timeout=30)
        wait_for(lambda: len(mailbox.ids()) >= count, timeout=120, interval=1)
        wait_for(lambda: pending(inst) == 0, timeout=60, interval=1)
        sent = mailbox.ids()
        assert sorted(sent) == ["once%02d" % i for i in range(count)], sent
        assert sum(p.poll() is None for p in copies) == 1, "the running copy ended"
    finally:
        inst.close()
        mailbox.close()


def ended_by_the_system(bin_dir):
    site = LocalSite(lambda path, headers: (200, {}, "<p>价格256</p>"))
    inst = Installation(bin_dir)
    port = free_port()
    mailbox = Mailbox(port)
    try:
        config, _ = window(site.url("/price"))
        inst.write("Config.inf", config)
        inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\nTimeout=10\n" % port)
        inst.write("runstate.inf", "[Start]\nResume=1\n[2]\nMonitoring=1\n")
        p = inst.start()
        wait_for(lambda: len(mailbox.ids()) == 1, timeout=120, interval=1)
        app = wait_for(lambda: next(applications(p.pid), None))
        menu = wait_for(lambda: [m for m in find_all(app, "menu")
                                 if m.name.startswith("系统设置")] or None)
        click(menu[0])
        click(wait_for(lambda: shown(find_all(app, "menu item", "邮件发送帐户设置")) or None)[0])
        dialog_titled(app, "邮件发件人设置")

        p.send_signal(signal.SIGTERM)
        assert p.wait(60) == 0, "not a clean end"
        lines = read_log(inst, "informlog.txt")
        assert any(re.fullmatch(r"\d+-\d+-\d+ \d+:\d+:\d+\[0\]\[\]收到系统的结束请求，程序退出：SIGTERM\[\]",
                                line) for line in lines), lines
        with open(os.path.join(inst.folder, "runstate.inf"), "rb") as f:
            assert "价格256".encode("gbk") in f.read(), "the notified text was not kept"

        p = inst.start()
        wait_for(lambda: any("发现重复提醒信息，跳过" in line
                             for line in read_log(inst, "informlog.txt")), timeout=150, interval=1)
        assert len(mailbox.ids()) == 1, mailbox.ids()
    finally:
        inst.close()
        site.close()
        mailbox.close()


def main(bin_dir):
    killed_between_outbox_and_state(bin_dir)
    two_copies_on_one_folder(bin_dir)
    ended_by_the_system(bin_dir)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
