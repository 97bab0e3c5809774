"""The real binary notifies a change by mail while its SMS gateway takes the request and never
answers: the mail does not wait for the SMS."""
import http.server
import os
import socket
import subprocess
import sys
import tempfile
import threading

from atspi_driver import (Installation, applications, click, find_all, press_ok, shown,
                          texts_of, wait_for)

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts")
PAGE = "<html><body><p>显卡 RTX 现在到货了</p></body></html>".encode("utf-8")


class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(PAGE)))
        self.end_headers()
        self.wfile.write(PAGE)

    def log_message(self, *args):
        pass


def serve_page():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Page)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def silent_gateway():
    """Takes connections and never says a word."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen()
    held = []
    threading.Thread(target=lambda: [held.append(listener.accept()) for _ in iter(int, 1)],
                     daemon=True).start()
    return listener


def window_record(fields):
    order = ["User", "url", "RefreshTime", "Regx", "FromMail", "ToMail", "FromName", "Subject",
             "Charset", "Body", "SmsBody", "Mobile", "Contry", "SmsOpen", "EmailOpen", "OtherOpen",
             "OtherProgram", "OtherStr", "WindowName"]
    return "".join(fields.get(key, "") + "|" for key in order)


def sendlog(inst):
    try:
        with open(os.path.join(inst.folder, "Log", "sendlog.txt"), "rb") as f:
            return f.read().decode("gbk")
    except FileNotFoundError:
        return ""


def main(bin_dir):
    inst = Installation(bin_dir)
    mailbox = tempfile.mkdtemp(prefix="nuvaro-mailbox-")
    smtp = subprocess.Popen(["/usr/bin/python3", os.path.join(SCRIPTS, "smtp_server.py"),
                             "accept", mailbox], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    page = serve_page()
    gateway = silent_gateway()
    try:
        smtp_port = int(smtp.stdout.readline())
        url = "http://127.0.0.1:%d/shop" % page.server_address[1]
        fields = {"WindowName": "首页", "url": url, "RefreshTime": "1", "Regx": "到货",
                  "ToMail": "watcher@example.com", "Subject": "Nuvaro提醒邮件",
                  "Body": "{name}：有变化", "SmsBody": "{name}：有变化",
                  "Mobile": "13800138000", "Contry": "+86", "SmsOpen": "1", "EmailOpen": "1",
                  "OtherOpen": "0"}
        inst.write("Config.inf", "[1]\n" + "".join("%s=%s\n" % kv for kv in fields.items()) +
                   "all=" + window_record(fields) + "\n")
        inst.write("email.inf", "[email]\nSmtp=127.0.0.1\nSmtpPort=%d\n" % smtp_port)
        inst.write("sms.inf", "[sms]\nGateway=http://127.0.0.1:%d/sms?to={number}&text={text}\n"
                   "Timeout=120\n" % gateway.getsockname()[1])
        p = inst.start()
        app = wait_for(lambda: next(applications(p.pid), None))
        click(wait_for(lambda: shown(find_all(app, "push button", "打开网页")) or None)[0])

        # The page test of the default page: a match there is notified at once.
        def tested():
            click(shown(find_all(app, "push button", "刷新网页"))[0])
            box = wait_for(lambda: next(iter(find_all(app, "alert")), None))
            matched = any("匹配成功" in t for t in texts_of(box))
            press_ok(box)
            return matched
        wait_for(tested, timeout=60, interval=1)

        message = os.path.join(mailbox, "msg-1")
        wait_for(lambda: os.path.isdir(message), timeout=60)
        log = sendlog(inst)
        assert "[EMAIL][1][watcher@example.com][try 1] OK" in log, log
        assert "[SMS]" not in log, log  # the SMS is still waiting for the gateway
        with open(os.path.join(message, "body"), encoding="utf-8") as f:
            body = f.read()
        assert body == "首页：有变化", repr(body)
        assert p.poll() is None, "the program ended"
        print("ok")
        return 0
    finally:
        inst.close()
        smtp.stdin.close()
        smtp.wait(10)
        page.shutdown()
        gateway.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
