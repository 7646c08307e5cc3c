#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Radios per hour of ztprog-cli write --repeat against simulated radios, as numbers (nothing here
passes or fails).

N simulated radios, paced at 9600 baud, are put one after another on the same port path, each as
soon as the one before is logged (a swap that takes no time), while one batch runs. For every radio:
the time from plugging it in to its first handshake on the wire (how quickly the waiting batch
notices it), and from plugging it in to its log line. The wire time is what the frames of one radio
need at 10 bits a byte (information area, the read for the backup, the write, the read-back), from
the simulated radio's frame log. Radios per hour = 3600 / the mean time per radio, to which the
user's own swapping time adds.

Usage: bench/batch_bench.py [BUILD_DIR] [--radios N] [--no-verify] [--no-backup] [--echo]
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("build", nargs="?", default="build")
    p.add_argument("--radios", type=int, default=3)
    p.add_argument("--no-verify", action="store_true")
    p.add_argument("--no-backup", action="store_true", help="no backup, so no read before the write")
    p.add_argument("--echo", action="store_true", help="an echoing cable")
    a = p.parse_args()
    cli = os.path.join(a.build, "dist", "V300", "ztprog-cli")
    sim = os.path.join(a.build, "bin", "ztradio-sim")
    if not (os.access(cli, os.X_OK) and os.access(sim, os.X_OK)):
        sys.exit("build ztprog-cli first (%s, %s)" % (cli, sim))
    work = tempfile.mkdtemp(prefix="ztbatch-")
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"))
    port = os.path.join(work, "port")
    try:
        # The document: the simulated radio's default memory, decoded.
        s = subprocess.Popen([sim, "--link", port], stdout=subprocess.PIPE, text=True)
        s.stdout.readline()
        subprocess.run([cli, "--quiet", "--yes", "--port", port, "image", os.path.join(work, "r.bin")], check=True,
                       env=env)
        s.terminate()
        s.wait()
        subprocess.run([cli, "--quiet", "decode", os.path.join(work, "r.bin"), os.path.join(work, "doc.dat")],
                       check=True, env=env)

        log = os.path.join(work, "batch.csv")
        args = [cli, "--quiet", "--yes", "--port", port, "write", os.path.join(work, "doc.dat"), "--repeat",
                "--log", log]
        if not a.no_verify:
            args.append("--verify")
        if a.no_backup:
            args.insert(1, "--no-backup")
        batch = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env)
        detect, per_radio, wire, exchange = [], [], [], []
        for n in range(a.radios):
            frames = os.path.join(work, "frames%d.log" % n)
            opts = [sim, "--link", port, "--paced", "--log", frames, "--serial", "ZT4500%04d" % n]
            if a.echo:
                opts.append("--echo")
            radio = subprocess.Popen(opts, stdout=subprocess.PIPE, text=True)
            radio.stdout.readline()
            t_plugged = time.monotonic()
            while True:
                with open(log) as f:
                    if len(f.read().splitlines()) >= n + 2:
                        break
                if batch.poll() is not None:
                    sys.exit("the batch ended: " + batch.stderr.read())
                time.sleep(0.01)
            t_logged = time.monotonic()
            radio.terminate()
            radio.wait()
            # The frame log: seconds since the radio started, direction, kind, bytes.
            first = last = None
            wire_bytes = 0
            with open(frames) as f:
                for line in f:
                    parts = line.split(" ", 2)
                    if len(parts) < 3 or parts[1] not in ("RX", "TX"):
                        continue
                    if first is None and parts[1] == "RX" and parts[2].startswith("handshake"):
                        first = float(parts[0])
                    last = float(parts[0])
                    wire_bytes += len(parts[2].split(": ", 1)[1].split())
            # The frame log's clock starts as the radio announces its port, i.e. when it is plugged in.
            detect.append(first or 0.0)
            exchange.append((last or 0.0) - (first or 0.0))
            per_radio.append(t_logged - t_plugged)
            wire.append(wire_bytes * 10 / 9600)
        batch.send_signal(signal.SIGINT)
        batch.wait(60)
        mean = statistics.mean(per_radio)
        print("radios: %d, verify %s, backup read %s, cable %s" % (
            a.radios, "off" if a.no_verify else "on", "off" if a.no_backup else "on",
            "echoing" if a.echo else "plain"))
        print("  noticed after plugging in: mean %.3f s (max %.3f s)" % (statistics.mean(detect), max(detect)))
        print("  plugged in to logged:      mean %.2f s per radio" % mean)
        print("  first handshake to last reply on the radio's side: mean %.2f s" % statistics.mean(exchange))
        print("  wire time (10 bits/byte):  mean %.2f s per radio (plugged-to-logged / wire = %.3f, "
              "exchanges / wire = %.3f)" % (statistics.mean(wire), mean / statistics.mean(wire),
                                            statistics.mean(exchange) / statistics.mean(wire)))
        print("  radios per hour (no time to swap): %.1f" % (3600 / mean))
        print("  radios per hour with 20 s to swap: %.1f" % (3600 / (mean + 20)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
