"""Memory of the real binary with 30 loaded windows: total PSS of nuvaro and all its engine
processes, and the figure per window.

    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
        /usr/bin/python3 bench/memory_bench.py [--windows 30] [--kind static] [--monitor-minutes 0]
        [--bin build/bin]
"""
import argparse
import sys
import time

from real_binary import (PAGE_KINDS, PageServer, Program, default_bin_dir, machine_note,
                         pss_by_group, wait_settled)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=default_bin_dir(), help="folder of the built program")
    parser.add_argument("--windows", type=int, default=30)
    parser.add_argument("--kind", choices=PAGE_KINDS, default="static")
    parser.add_argument("--monitor-minutes", type=float, default=0.0,
                        help="monitor every minute for this long before measuring (a soak)")
    args = parser.parse_args()

    print(machine_note())
    server = PageServer()
    program = Program(args.bin, server, args.kind, args.windows)
    try:
        started = time.monotonic()
        program.open_all_pages()
        print("%d pages loaded in %.1f s" % (args.windows, time.monotonic() - started))
        if args.monitor_minutes > 0:
            program.start_monitoring()
            time.sleep(args.monitor_minutes * 60)
        wait_settled(program.process.pid)
        totals, counts = pss_by_group(program.process.pid)
        total = sum(totals.values())
        print("%-24s %5s %10s" % ("process", "count", "PSS MB"))
        for key in sorted(totals, key=lambda k: -totals[k]):
            print("%-24s %5d %10.1f" % (key, counts[key], totals[key] / 1024))
        print("total PSS: %.1f MB for %d windows (%s pages), %.1f MB per window"
              % (total / 1024, args.windows, args.kind, total / 1024 / args.windows))
        return 0
    finally:
        program.close()
        server.close()


if __name__ == "__main__":
    sys.exit(main())
