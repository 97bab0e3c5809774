"""What a tick costs the watched site: the real binary with 30 windows on ~200 KB shop pages
with four pictures and two scripts each (which say they may be kept for an hour), monitoring
every minute; the local server counts what it sends (status line, headers and body) during the
ticks after the first one of every window.

    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
        /usr/bin/python3 bench/traffic_bench.py [--windows 30] [--rounds 2] [--bin build/bin]
"""
import argparse
import sys
import time

from real_binary import PageServer, Program, default_bin_dir, machine_note, verdicts


def wait_verdicts(program, count, timeout):
    deadline = time.monotonic() + timeout
    while verdicts(program) < count:
        if time.monotonic() > deadline:
            raise TimeoutError("%d verdicts of %d after %.0f s" % (verdicts(program), count, timeout))
        time.sleep(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=default_bin_dir(), help="folder of the built program")
    parser.add_argument("--windows", type=int, default=30)
    parser.add_argument("--rounds", type=int, default=2,
                        help="ticks per window measured, after the first")
    args = parser.parse_args()

    print(machine_note())
    server = PageServer()
    program = Program(args.bin, server, "assets", args.windows)
    try:
        program.open_all_pages()
        program.start_monitoring()
        # The first tick of every window comes a minute after its start.
        wait_verdicts(program, args.windows, 240)
        server.reset_traffic()
        before = verdicts(program)
        wait_verdicts(program, before + args.windows * args.rounds, 60 * args.rounds + 240)
        ticks = verdicts(program) - before
        traffic = dict(server.traffic)
    finally:
        program.close()
        server.close()

    total = sum(sent for _, sent in traffic.values())
    requests = sum(n for n, _ in traffic.values())
    print("%d ticks of %d windows on pages with pictures and scripts" % (ticks, args.windows))
    print("%-8s %6s %10s %14s" % ("what", "status", "responses", "bytes per tick"))
    for (what, status), (n, sent) in sorted(traffic.items()):
        print("%-8s %6d %10d %14.0f" % (what, status, n, sent / ticks))
    print("per tick: %.1f KB sent in %.1f responses" % (total / ticks / 1024, requests / ticks))
    return 0


if __name__ == "__main__":
    sys.exit(main())
