#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How the data file pair fares when its save is killed, and when two programs save it at once, as
numbers (nothing here passes or fails).

Kill loop: a pair decoded from image A is saved over by `decode B` and that process is killed
(SIGKILL) at a random moment of its run. Counted per run: whether the kill left the program's own
hidden files beside the pair (a save cut short), whether the next open (`encode`) succeeds, and
whether the pair is then A or B whole (else: broken), with nothing left beside it.

Two savers: `decode A` and `decode B` on the same pair at once, again and again. Counted: runs,
saves that failed, and pairs that are not A or B whole after a run (broken).

Usage: bench/pair_bench.py [BUILD_DIR] [--kills N] [--pairs N]
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import tempfile
import time

IMAGE_SIZE = 0x2440


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("build", nargs="?", default="build")
    p.add_argument("--kills", type=int, default=300)
    p.add_argument("--pairs", type=int, default=300)
    args = p.parse_args()
    cli = os.path.join(args.build, "dist", "V300", "ztprog-cli")
    work = tempfile.mkdtemp(prefix="ztpairbench-")
    try:
        run = lambda *a: subprocess.run([cli, "--quiet"] + list(a), capture_output=True,
                                        stdin=subprocess.DEVNULL)
        path = lambda *n: os.path.join(work, *n)
        image_a, image_b = path("a.bin"), path("b.bin")
        with open(image_a, "wb") as f:
            f.write(b"\xff" * IMAGE_SIZE)
        run("new", path("n.dat"))
        run("encode", path("n.dat"), image_b)
        for n in ("n.dat", "n.fre"):
            os.remove(path(n))
        doc = path("doc.dat")

        def pair():
            return tuple(read(x) if os.path.exists(x) else None for x in (doc, doc[:-3] + "fre"))

        run("decode", image_b, doc)
        new = pair()
        run("decode", image_a, doc)
        old = pair()
        start = time.monotonic()
        run("decode", image_b, path("t.dat"))
        whole = time.monotonic() - start
        for n in ("t.dat", "t.fre"):
            os.remove(path(n))
        base = {"a.bin", "b.bin", "doc.dat", "doc.fre"}

        rng = random.Random(1)
        cut = broken = failed_open = left = outcome_new = 0
        for _ in range(args.kills):
            run("decode", image_a, doc)
            proc = subprocess.Popen([cli, "--quiet", "decode", image_b, doc], stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.3, 1.1) * whole)
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            if any(n.startswith(".") for n in os.listdir(work)):
                cut += 1
            if run("encode", doc, path("check.bin")).returncode != 0:
                failed_open += 1
            now = pair()
            broken += now not in (old, new)
            outcome_new += now == new
            left += set(os.listdir(work)) - base - {"check.bin"} != set()
        print("kill loop: %d runs, %d cut short inside the save (hidden files found), %d ended as the new "
              "pair, %d opens failed, %d broken pairs, %d runs left files behind after the open"
              % (args.kills, cut, outcome_new, failed_open, broken, left))

        failed = broken = 0
        for _ in range(args.pairs):
            procs = [subprocess.Popen([cli, "--quiet", "decode", image, doc], stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                     for image in (image_a, image_b)]
            for proc in procs:
                failed += proc.wait() != 0
            broken += pair() not in (old, new)
        print("two savers: %d runs (%d saves), %d saves failed, %d broken pairs"
              % (args.pairs, 2 * args.pairs, failed, broken))
    finally:
        shutil.rmtree(work, True)


if __name__ == "__main__":
    main()
