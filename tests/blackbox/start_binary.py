"""The real binary comes up, restores its windows from Config.inf and refuses a second copy."""
import sys

from atspi_driver import Installation, applications, find_all, press_ok, texts_of, wait_for


def main(bin_dir):
    inst = Installation(bin_dir)
    try:
        inst.write("Config.inf", "[1]\nWindowName=默认\n[2]\nWindowName=甲\nurl=about:blank\n"
                                 "[3]\nWindowName=乙\n")
        first = inst.start()
        app = wait_for(lambda: next(applications(first.pid), None))
        tabs = wait_for(lambda: [t.name for t in find_all(app, "page tab")] or None)
        assert tabs == ["默认页面", "甲", "乙"], tabs

        second = inst.start()
        alert = wait_for(lambda: next((a for s in applications(second.pid)
                                       for a in find_all(s, "alert")), None))
        assert "本软件已启动。" in texts_of(alert), texts_of(alert)
        press_ok(alert)
        second.wait(20)
        assert first.poll() is None, "the first copy ended"
        # Still one main window: the second copy built none.
        assert [t.name for t in find_all(app, "page tab")] == tabs
        print("ok")
        return 0
    finally:
        inst.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
