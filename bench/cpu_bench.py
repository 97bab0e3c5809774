"""CPU of the real binary with 30 windows on pages of each kind (static, 1 s script timer, CSS
animation): nuvaro and all its engine processes, in % of one core over a fixed minute, idle
(pages open, not monitoring) and monitoring every minute.

    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
        /usr/bin/python3 bench/cpu_bench.py [--seconds 60] [--kinds static,timer,anim]
        [--windows 30] [--no-monitoring] [--tray] [--bin build/bin]
"""
import argparse
import sys
import time

from real_binary import (KINDS, PageServer, Program, cpu_by_group, default_bin_dir,
                         machine_note, verdicts, wait_settled)


def measure(program, seconds):
    before = verdicts(program)
    totals = cpu_by_group(program.process.pid, seconds)
    engine = sum(v for k, v in totals.items() if k != "nuvaro")
    return totals.get("nuvaro", 0.0), engine, verdicts(program) - before


def run_kind(args, server, kind):
    program = Program(args.bin, server, kind, args.windows, tray=args.tray)
    rows = []
    try:
        server.loaded.clear()
        program.open_all_pages()
        wait_settled(program.process.pid, quiet_s=5.0)
        rows.append(("idle",) + measure(program, args.seconds))
        if args.tray:
            program.toggle_tray(shown=False)
            wait_settled(program.process.pid, quiet_s=5.0)
            rows.append(("idle in tray",) + measure(program, args.seconds))
            program.toggle_tray(shown=True)
        if args.monitoring:
            started = time.monotonic()
            program.start_monitoring()
            # Every window's first tick comes a minute after its start: measure a whole minute
            # of ticks, from the moment the first one is due.
            time.sleep(max(0.0, 60.0 - (time.monotonic() - started)))
            rows.append(("monitoring 1 min",) + measure(program, args.seconds))
            if args.tray:
                program.toggle_tray(shown=False)
                rows.append(("monitoring in tray",) + measure(program, args.seconds))
    finally:
        program.close()
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=default_bin_dir(), help="folder of the built program")
    parser.add_argument("--windows", type=int, default=30)
    parser.add_argument("--kinds", default=",".join(KINDS),
                        help="comma-separated page kinds: " + ", ".join(KINDS))
    parser.add_argument("--seconds", type=float, default=60.0,
                        help="length of each measurement (shorten for a quick run)")
    parser.add_argument("--no-monitoring", dest="monitoring", action="store_false",
                        help="measure idle only")
    parser.add_argument("--tray", action="store_true",
                        help="also measure with the window hidden in the notification area "
                             "(needs trayer and xdotool)")
    args = parser.parse_args()

    print(machine_note())
    print("CPU in %% of one core over %.0f s, %d windows" % (args.seconds, args.windows))
    print("%-8s %-18s %8s %8s %8s %6s" % ("pages", "state", "nuvaro", "engine", "total", "ticks"))
    server = PageServer()
    try:
        for kind in args.kinds.split(","):
            for state, ui, engine, ticks in run_kind(args, server, kind):
                print("%-8s %-18s %8.1f %8.1f %8.1f %6d"
                      % (kind, state, ui, engine, ui + engine, ticks), flush=True)
    finally:
        server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
