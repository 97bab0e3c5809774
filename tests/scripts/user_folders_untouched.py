"""Runs GUI tests that show the main window (its first show writes the autostart entry) with a
home folder of their own and no XDG folders set, as a developer's shell would start them, and
checks that nothing was written under that home's configuration folder: the tests keep to
folders of their own."""
import os
import subprocess
import sys
import tempfile

TESTS = ":".join([
    "MainFrameTest.FirstRunSwitchesStartAtLogonOn",
    "MainFrameTest.AnAutostartEntryForAnotherExecutableShowsUnticked",
    "ResumeTest.TheMenuItemIsOnByDefaultAndOffEveryWindowStartsStopped",
])


def files_under(folder):
    return sorted(os.path.relpath(os.path.join(root, name), folder)
                  for root, _, names in os.walk(folder) for name in names)


def main(gui_tests):
    with tempfile.TemporaryDirectory(prefix="nuvaro-home-") as home:
        env = {k: v for k, v in os.environ.items()
               if k not in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME")}
        env["HOME"] = home
        run = subprocess.run([gui_tests, "--gtest_filter=" + TESTS], env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            print(run.stdout)
            return "the GUI tests failed"
        if "[  PASSED  ] 3 tests" not in run.stdout:
            print(run.stdout)
            return "not every chosen test ran"
        ours = [f for f in files_under(os.path.join(home, ".config"))
                if f.startswith(("autostart", "nuvaro"))]
        if ours:
            return "written into the user's configuration folder: " + ", ".join(ours)
    print("nothing written into the user's configuration folder")
    return None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
