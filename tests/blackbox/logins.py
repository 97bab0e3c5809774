"""The real binary keeps the user's logins, like a desktop browser: a cookie that a page sets
is sent again after the program exits by its menu and starts again, and after its process is
killed outright."""
import os
import signal
import sys

import pyatspi

from atspi_driver import (Installation, applications, click, find_all, shown, texts_of,
                          wait_for)
from local_site import LocalSite


def answer(path, headers):
    """/login/<name> sets a cookie for 30 days; every other page is a member page."""
    if path.startswith("/login/"):
        user = path[len("/login/"):]
        return 200, {"Set-Cookie": "user=%s; Max-Age=2592000; Path=/" % user}, "已登录"
    return 200, {}, "会员页"


def open_page(inst, address):
    """Starts the program with one window on `address` and opens its page."""
    inst.write("Config.inf", "[1]\nWindowName=默认\n[2]\nWindowName=会员\nurl=%s\n" % address)
    p = inst.start()
    app = wait_for(lambda: next(applications(p.pid), None))
    tab = wait_for(lambda: [t for t in find_all(app, "page tab") if t.name == "会员"] or None)[0]
    click(tab)
    wait_for(lambda: tab.getState().contains(pyatspi.STATE_SELECTED))
    click(wait_for(lambda: shown(find_all(app, "push button", "打开网页")) or None)[0])
    return p, app


def exit_by_menu(app, p):
    menu = wait_for(lambda: [m for m in find_all(app, "menu") if m.name.startswith("系统设置")] or None)
    click(menu[0])
    click(wait_for(lambda: shown(find_all(app, "menu item", "退  出")) or None)[0])
    box = wait_for(lambda: next((a for a in find_all(app, "alert")
                                 if "您真的要退出Nuvaro软件吗？" in texts_of(a)), None))
    yes = [b for b in find_all(box, "push button") if b.name == "是"]
    yes[0].queryAction().doAction(0)
    p.wait(30)


def stored(inst, value):
    """Whether the profile's cookie store (with its journal) holds `value`."""
    folder = os.path.join(inst.folder, "Browser")
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        if name.startswith("cookies.sqlite"):
            with open(os.path.join(folder, name), "rb") as f:
                if value in f.read():
                    return True
    return False


def main(bin_dir):
    site = LocalSite(answer)
    inst = Installation(bin_dir)
    try:
        p, app = open_page(inst, site.url("/login/zhangsan"))
        wait_for(lambda: site.count("/login/zhangsan") > 0)
        exit_by_menu(app, p)
        p, app = open_page(inst, site.url("/member/1"))
        cookie = wait_for(lambda: site.header_of("/member/1", "Cookie"))
        assert cookie == "user=zhangsan", cookie

        # Killed outright once the cookie is in the store: it was written as it was set.
        exit_by_menu(app, p)
        p, app = open_page(inst, site.url("/login/lisi"))
        wait_for(lambda: site.count("/login/lisi") > 0)
        wait_for(lambda: stored(inst, b"lisi"))
        os.kill(p.pid, signal.SIGKILL)
        p.wait(10)
        p, app = open_page(inst, site.url("/member/2"))
        cookie = wait_for(lambda: site.header_of("/member/2", "Cookie"))
        assert cookie == "user=lisi", cookie
        assert not os.path.exists(os.path.join(inst.home, ".local", "share", "nuvaro")), \
            "the browser wrote under the home folder"
        assert not os.path.exists(os.path.join(inst.home, ".cache", "nuvaro")), \
            "the browser wrote under the home folder"
        print("ok")
        return 0
    finally:
        inst.close()
        site.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
