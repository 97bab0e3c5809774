"""The real binary's dialogs, used as a user would: the condition dialog from its button and
the sender account dialog from the main menu, each saving into its file."""
import os
import sys

from atspi_driver import (Installation, applications, click, confirm, edit_after, find_all,
                          shown, texts_of, wait_for, walk, window)


def read_gbk(inst, name):
    with open(os.path.join(inst.folder, name), "rb") as f:
        return f.read().decode("gbk")


def main(bin_dir):
    inst = Installation(bin_dir)
    try:
        inst.write("Config.inf", "[1]\nWindowName=首页\nRegx=旧条件\n")
        p = inst.start()
        app = wait_for(lambda: next(applications(p.pid), None))
        wait_for(lambda: find_all(app, "page tab") or None)

        click(wait_for(lambda: shown(find_all(app, "push button", "设定网页监控条件")) or None)[0])
        dialog = window(app, "设定搜索条件")
        memo = wait_for(lambda: find_all(dialog, "text") or None)[0]
        assert "旧条件" in texts_of(memo), texts_of(memo)
        memo.queryEditableText().setTextContents("缺货|到货")
        click(find_all(dialog, "push button", "确定")[0])
        confirm(app, "当前窗口：首页 搜索条件设置已保存！")
        wait_for(lambda: "Regx=缺货|到货\r\n" in read_gbk(inst, "Config.inf"))

        menu = wait_for(lambda: [m for m in find_all(app, "menu") if m.name.startswith("系统设置")] or None)
        click(menu[0])
        click(wait_for(lambda: shown(find_all(app, "menu item", "邮件发送帐户设置")) or None)[0])
        dialog = window(app, "邮件发件人设置")
        values = {"SMTP 地址：": "smtp.example.com", "端口：": "465",
                  "帐户名：": "me@example.com", "密码：": "s3cret"}
        for label, value in values.items():
            edit_after(dialog, label).queryEditableText().setTextContents(value)
        click(find_all(dialog, "push button", "确定")[0])
        wait_for(lambda: os.path.exists(os.path.join(inst.folder, "email.inf")))
        text = read_gbk(inst, "email.inf")
        assert text == ("[email]\r\nSmtp=smtp.example.com\r\nUserName=me@example.com\r\n"
                        "Password=s3cret\r\nSmtpPort=465\r\n"), repr(text)
        assert p.poll() is None, "the program ended"
        print("ok")
        return 0
    finally:
        inst.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
