"""Drives the real Nuvaro binary through the accessibility tree, as a screen reader would."""
import os
import shutil
import subprocess
import tempfile
import time

import pyatspi


def wait_for(predicate, timeout=30.0, interval=0.2):
    """Polls until predicate() returns something true; returns it, or raises on time-out."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # the tree changes while it is walked
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("condition not met in %.0f s" % timeout)
        time.sleep(interval)


def walk(node, depth=0, limit=40):
    if node is None or depth > limit:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1, limit)


def applications(pid=None):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (pid is None or app.get_process_id() == pid):
            yield app


def find_all(root, role, name=None):
    return [n for n in walk(root) if n.getRoleName() == role and (name is None or n.name == name)]


def texts_of(root):
    """Every name and text in a subtree (labels of a message box, for example)."""
    out = []
    for n in walk(root):
        if n.name:
            out.append(n.name)
        try:
            t = n.queryText()
            out.append(t.getText(0, t.characterCount))
        except NotImplementedError:
            pass
    return out


def press_ok(box):
    """Answers a message box with its 确定 button."""
    ok = [b for b in find_all(box, "push button") if b.name == "确定"]
    assert ok, "no 确定 button in the box"
    ok[0].queryAction().doAction(0)


def click(node):
    """A real mouse click at the centre of a control (buttons that open modal boxes need it)."""
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, "b1c")


def shown(nodes):
    """The controls on screen (those of pages in the background are not)."""
    return [n for n in nodes if n.getState().contains(pyatspi.STATE_SHOWING)]


def confirm(app, text):
    """Answers the message box that shows `text` with its 确定 button."""
    press_ok(wait_for(lambda: next((a for a in find_all(app, "alert") if text in texts_of(a)),
                                   None)))


class Installation:
    """A portable installation in a temporary folder: the executable and what ships beside it."""

    def __init__(self, bin_dir):
        self.root = tempfile.mkdtemp(prefix="nuvaro-blackbox-")
        self.folder = os.path.join(self.root, "Nuvaro")
        os.makedirs(self.folder)
        for name in os.listdir(bin_dir):
            if name == "nuvaro" or name.endswith(".so") or name.endswith(".html"):
                shutil.copy2(os.path.join(bin_dir, name), self.folder)
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.env = dict(os.environ)
        self.env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_RUNTIME_DIR=self.home, GTK_A11Y="atspi")
        self.processes = []

    def write(self, name, text):
        """Writes a settings file as the program keeps it: GBK with CR LF."""
        data = text.replace("\n", "\r\n").encode("gbk")
        with open(os.path.join(self.folder, name), "wb") as f:
            f.write(data)

    def start(self, umask=None):
        """Starts the program; `umask`, when given, is the file mode mask it starts with."""
        p = subprocess.Popen([os.path.join(self.folder, "nuvaro")], cwd=self.root, env=self.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             preexec_fn=None if umask is None else lambda: os.umask(umask))
        self.processes.append(p)
        return p

    def close(self):
        for p in self.processes:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.root, ignore_errors=True)


def window(app, title):
    """The top-level window of `app` so titled, once it shows."""
    return wait_for(lambda: next((app.getChildAtIndex(i) for i in range(app.childCount)
                                  if app.getChildAtIndex(i).name == title), None))


def edit_after(root, label):
    """The edit that follows the label in the window's tree."""
    seen = False
    for node in walk(root):
        if node.getRoleName() == "label" and node.name == label:
            seen = True
        elif seen and node.getRoleName() in ("text", "password text"):
            return node
    raise AssertionError("no edit after " + label)
