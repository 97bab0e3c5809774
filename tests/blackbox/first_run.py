"""The first minutes with the real binary, through the accessibility tree as a screen reader
meets them: the check boxes and edits are named by their captions and labels, boxes by their
titles; the main menu has 窗口(&W); "开机时启动" is not ticked for an entry that starts another
copy; the first close to the notification area is remembered in config.ini."""
import os
import subprocess
import sys

import pyatspi

from atspi_driver import (Installation, applications, click, find_all, shown, walk,
                          wait_for)


def named(app, role, name):
    return wait_for(lambda: shown(find_all(app, role, name)) or None)[0]


def menu_starting(app, role, start):
    return wait_for(lambda: [m for m in find_all(app, role) if m.name.startswith(start)
                             and m.getState().contains(pyatspi.STATE_SHOWING)] or None)[0]


def another_copys_autostart(inst):
    """What another build on the machine leaves behind: the choice made, its own entry."""
    config = inst.env["XDG_CONFIG_HOME"]
    os.makedirs(os.path.join(config, "nuvaro"))
    os.makedirs(os.path.join(config, "autostart"))
    with open(os.path.join(config, "nuvaro", "registry.ini"), "wb") as f:
        f.write(b"[SOFTWARE\\Microsoft\\Windows]\r\nreg=1\r\n")
    with open(os.path.join(config, "autostart", "Zelvra.desktop"), "w") as f:
        f.write('[Desktop Entry]\nType=Application\nExec="/opt/another build/nuvaro"\n')


def main(bin_dir):
    inst = Installation(bin_dir)
    # A notification area, so that closing hides the window there.
    tray = subprocess.Popen(["trayer", "--expand", "false"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        inst.write("Config.inf", "[1]\nWindowName=首页\nRefreshTime=5\n")
        another_copys_autostart(inst)
        p = inst.start()
        app = wait_for(lambda: next(applications(p.pid), None))
        wait_for(lambda: find_all(app, "page tab") or None)

        autostart = named(app, "check box", "开机时启动")
        assert not autostart.getState().contains(pyatspi.STATE_CHECKED), "ticked for another copy"
        for name in ("短信", "邮件", "其它"):
            named(app, "check box", name)
        for name in ("窗口名", "网址", "刷新时间"):
            named(app, "text", name)

        click(menu_starting(app, "menu", "窗口"))
        items = [m.name for m in find_all(app, "menu item") if m.getState().contains(
            pyatspi.STATE_SHOWING)]
        for item in ("新建窗口", "关闭当前窗口", "全部开始监控", "全部停止监控"):
            assert any(i.startswith(item) for i in items), (item, items)
        click(menu_starting(app, "menu item", "新建窗口"))
        wait_for(lambda: len(find_all(app, "page tab")) == 2)

        click(menu_starting(app, "menu", "系统设置"))
        click(menu_starting(app, "menu item", "退  出"))
        box = wait_for(lambda: next((a for a in find_all(app, "alert") if a.name == "询问"), None))
        names = [n.name for n in walk(box) if n.getRoleName() == "push button"]
        assert "否" in names, names
        next(n for n in walk(box) if n.name == "否").queryAction().doAction(0)  # hides the window

        config_ini = os.path.join(inst.folder, "config.ini")
        wait_for(lambda: os.path.exists(config_ini)
                 and b"[Tray]\r\nToldOnClose=1\r\n" in open(config_ini, "rb").read())
        assert p.poll() is None, "the program ended"
        print("ok")
        return 0
    finally:
        inst.close()
        tray.terminate()
        tray.wait(10)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
