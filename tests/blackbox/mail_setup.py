"""The real binary helps a new user set up mail and shows what a notice will say: the sender
dialog fills in a mail service's settings and sends a test mail to a local SMTP server, whose
answer it shows; the recipient dialog offers a default text, its placeholders and a preview."""
import os
import subprocess
import sys
import tempfile

from atspi_driver import (Installation, applications, click, edit_after, find_all, shown,
                          texts_of, wait_for, walk, window)

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts")


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


def choose(combo, item):
    """Picks an entry of a drop-down list as a click on it would."""
    names = [n.name for n in walk(combo) if n.getRoleName() == "menu item"]
    assert item in names, names
    combo.querySelection().selectChild(names.index(item))


def chosen(combo):
    """The entry a drop-down list shows: its accessible name is that of its label."""
    picked = combo.querySelection().getSelectedChild(0)
    return picked.name if picked else None


def label_starting(root, start):
    return next((n.name for n in walk(root)
                 if n.getRoleName() == "label" and n.name.startswith(start)), None)


def sender_dialog(app, smtp_port, mailbox):
    menu = wait_for(lambda: [m for m in find_all(app, "menu") if m.name.startswith("系统设置")] or None)
    click(menu[0])
    click(wait_for(lambda: shown(find_all(app, "menu item", "邮件发送帐户设置")) or None)[0])
    dialog = window(app, "邮件发件人设置")
    provider, security = wait_for(lambda: find_all(dialog, "combo box") or None)[:2]
    choose(provider, "QQ邮箱")
    wait_for(lambda: text_of(edit_after(dialog, "SMTP 地址：")) == "smtp.qq.com")
    assert text_of(edit_after(dialog, "端口：")) == "465"
    wait_for(lambda: chosen(security) == "SSL")
    assert label_starting(dialog, "密码处填写授权码"), texts_of(dialog)

    choose(provider, "自定义")
    choose(security, "自动（按端口）")
    for label, value in {"SMTP 地址：": "127.0.0.1", "端口：": str(smtp_port),
                         "帐户名：": "me@example.com"}.items():
        edit_after(dialog, label).queryEditableText().setTextContents(value)
    click(find_all(dialog, "push button", "发送测试邮件")[0])
    answer = wait_for(lambda: label_starting(dialog, "测试邮件已发出："))
    assert answer.startswith("测试邮件已发出：250"), answer
    assert "\n" not in answer
    wait_for(lambda: os.path.exists(os.path.join(mailbox, "msg-1", "rcpt")))
    with open(os.path.join(mailbox, "msg-1", "rcpt")) as f:
        assert f.read().strip() == "me@example.com"
    click(find_all(dialog, "push button", "取消")[0])


def recipient_dialog(app):
    click(wait_for(lambda: shown(find_all(app, "push button", "设定短信和邮件接收方")) or None)[0])
    dialog = window(app, "设定短信和邮件接受方")
    memo = wait_for(lambda: [n for n in find_all(dialog, "text")
                             if "{name}" in text_of(n)] or None)[0]
    assert text_of(memo) == "{name}：{found}（上次：{previous}）", text_of(memo)
    preview = wait_for(lambda: label_starting(dialog, "预览："))
    assert preview == "预览：显卡价格：〔找到的内容〕（上次：）", preview
    listed = [n.name for n in walk(dialog) if n.getRoleName() in ("list item", "table cell")]
    for entry in ("{found} 找到的内容", "{previous} 上次的内容", "{name} 窗口名称", "{value} 读到的数值"):
        assert entry in listed, listed
    click(find_all(dialog, "push button", "取消")[0])


def main(bin_dir):
    inst = Installation(bin_dir)
    mailbox = tempfile.mkdtemp(prefix="nuvaro-mailbox-")
    smtp = subprocess.Popen(["/usr/bin/python3", os.path.join(SCRIPTS, "smtp_server.py"),
                             "accept", mailbox], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        smtp_port = int(smtp.stdout.readline())
        inst.write("Config.inf", "[1]\nWindowName=显卡价格\nurl=http://127.0.0.1:9/\n")
        p = inst.start()
        app = wait_for(lambda: next(applications(p.pid), None))
        wait_for(lambda: find_all(app, "page tab") or None)
        sender_dialog(app, smtp_port, mailbox)
        recipient_dialog(app)
        assert not os.path.exists(os.path.join(inst.folder, "email.inf")), "a test stored the account"
        assert p.poll() is None, "the program ended"
        print("ok")
        return 0
    finally:
        inst.close()
        smtp.stdin.close()
        smtp.wait(10)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
