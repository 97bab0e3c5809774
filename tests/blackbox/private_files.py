"""What the real binary keeps about its user is its owner's only, whatever file mode mask it is
started with: files that an earlier version left open are closed at start, and the browser
profile the engine fills while a page logs in is 0700/0600 throughout. The programs it starts
for the user (here the desktop's opener, through the log viewer's "用默认程序打开") get the
user's own mask."""
import os
import stat
import sys

from atspi_driver import Installation, applications, click, find_all, shown, wait_for
from local_site import LocalSite
from logins import open_page, stored


def answer(path, headers):
    return 200, {"Set-Cookie": "user=zhangsan; Max-Age=2592000; Path=/"}, "已登录"


def opener(inst):
    """A stand-in for xdg-open on PATH that records the mask it was started with."""
    folder = os.path.join(inst.root, "bin")
    os.makedirs(folder)
    script = os.path.join(folder, "xdg-open")
    with open(script, "w") as f:
        f.write('#!/bin/sh\numask > "%s"\n' % os.path.join(inst.root, "opener-umask"))
    os.chmod(script, 0o755)
    inst.env["PATH"] = folder + os.pathsep + inst.env["PATH"]


def left_open(inst):
    """Files as an earlier version left them: readable by everybody."""
    os.makedirs(os.path.join(inst.folder, "Log"))
    os.makedirs(os.path.join(inst.folder, "Browser", "data"))
    for name in ("email.inf", "Log/informlog.txt", "Browser/data/old.db"):
        path = os.path.join(inst.folder, name)
        with open(path, "wb") as f:
            f.write(b"x\r\n")
        os.chmod(path, 0o644)
    for name in ("Log", "Browser", "Browser/data"):
        os.chmod(os.path.join(inst.folder, name), 0o755)


def open_to_others(root):
    """Every file or folder below `root` (and itself) that others or the group may use."""
    found = []
    for folder, dirs, files in os.walk(root):
        for path in [folder] + [os.path.join(folder, n) for n in files]:
            st = os.lstat(path)
            if not stat.S_ISLNK(st.st_mode) and st.st_mode & 0o077:
                found.append("%s %o" % (os.path.relpath(path, root), st.st_mode & 0o777))
    return found


def run(bin_dir, mask):
    site = LocalSite(answer)
    inst = Installation(bin_dir)
    try:
        opener(inst)
        left_open(inst)
        inst.write("Config.inf", "[1]\nWindowName=默认\n[2]\nWindowName=会员\nurl=%s\n"
                   % site.url("/login"))
        p = inst.start(umask=mask)
        app = wait_for(lambda: next(applications(p.pid), None))
        tab = wait_for(lambda: [t for t in find_all(app, "page tab") if t.name == "会员"] or None)[0]
        click(tab)
        click(wait_for(lambda: shown(find_all(app, "push button", "打开网页")) or None)[0])
        wait_for(lambda: stored(inst, b"zhangsan"), timeout=60)
        problems = open_to_others(inst.folder + "/Browser") + open_to_others(inst.folder + "/Log")
        mode = os.stat(os.path.join(inst.folder, "email.inf")).st_mode & 0o777
        if mode != 0o600:
            problems.append("email.inf %o" % mode)
        assert not problems, "umask %03o: %s" % (mask, problems)

        click(wait_for(lambda: shown(find_all(app, "push button", "查看监控日志")) or None)[0])
        click(wait_for(lambda: shown(find_all(app, "push button", "用默认程序打开")) or None)[0])
        recorded = os.path.join(inst.root, "opener-umask")
        wait_for(lambda: os.path.exists(recorded) and open(recorded).read().strip())
        got = int(open(recorded).read().strip(), 8)
        assert got == mask, "the opener got %03o, the user's mask is %03o" % (got, mask)
    finally:
        inst.close()
        site.close()


def main(bin_dir):
    for mask in (0o022, 0o000):
        run(bin_dir, mask)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
