# SPDX-License-Identifier: GPL-3.0-or-later
"""Helpers shared by the end-to-end tests: start the simulated radio on a pseudo-terminal and talk
to it, and build memory images."""

import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import time
import tty

SIM = os.environ.get("ZT_RADIO_SIM") or os.path.join(
    os.path.dirname(__file__), "..", "..", "tools", "ztradio-sim", "ztradio-sim.py")
CLI = os.environ.get("ZT_CLI", "")

IMAGE_SIZE = 0x2440
IDENT_ADDR = 0x21F0


class SimRadio:
    """The simulated radio as a child process; `device` is the path of its port."""

    def __init__(self, *args, workdir=None):
        self.own_dir = workdir is None
        self.dir = workdir or tempfile.mkdtemp(prefix="ztsim-")
        self.device = os.path.join(self.dir, "radio")
        self.dump = os.path.join(self.dir, "dump.bin")
        self.logfile = os.path.join(self.dir, "frames.log")
        cmd = [sys.executable, SIM, "--link", self.device, "--dump", self.dump, "--log", self.logfile]
        cmd += [str(a) for a in args]
        self.proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline().strip()
        if line != self.device:
            self.proc.kill()
            raise RuntimeError("simulated radio did not start: %r %s" % (line, self.proc.stderr.read()))

    def log(self):
        with open(self.logfile) as f:
            return f.read().splitlines()

    def frames(self, direction, kind):
        """The logged frames of one direction and kind, as hex strings after the colon."""
        tag = "%s %s" % (direction, kind)
        return [l.split(": ", 1)[1] for l in self.log() if l.split(" ", 1)[1].startswith(tag)]

    def dumped(self):
        with open(self.dump, "rb") as f:
            return f.read()

    def alive(self):
        return self.proc.poll() is None

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()
        if self.own_dir:
            shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Port:
    """The computer's end of the radio's port, for talking to the radio directly."""

    def __init__(self, device):
        self.fd = os.open(device, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)

    def send(self, data):
        os.write(self.fd, data)

    def recv(self, n, timeout=2.0):
        """Reads until n bytes came or the time ran out; returns what came."""
        out = b""
        end = time.monotonic() + timeout
        while len(out) < n:
            left = end - time.monotonic()
            if left <= 0:
                break
            r, _, _ = select.select([self.fd], [], [], left)
            if r:
                out += os.read(self.fd, n - len(out))
        return out

    def quiet(self, wait=0.3):
        """True when nothing arrives for `wait` seconds."""
        r, _, _ = select.select([self.fd], [], [], wait)
        return not r

    def close(self):
        os.close(self.fd)


def checksum(body):
    return sum(body) & 0xFF


def write_frame(addr, data):
    body = bytes([addr >> 8, addr & 0xFF, len(data)]) + bytes(data)
    return b"W" + body + bytes([checksum(body), 0x06])


def read_frame(addr):
    return bytes([ord("R"), addr >> 8, addr & 0xFF, 0x10])


def random_image(seed, model=b"ZR2450", variant=2, version=b"V300", flags=0):
    """A memory image of random bytes with a valid identification area, so that a transfer that
    moves a byte to the wrong place cannot go unnoticed."""
    rnd = random.Random(seed)
    img = bytearray(rnd.getrandbits(8) for _ in range(IMAGE_SIZE))
    img[IDENT_ADDR:IDENT_ADDR + 6] = model.ljust(6, b"\x00")
    img[IDENT_ADDR + 6] = variant
    img[IDENT_ADDR + 8:IDENT_ADDR + 12] = version
    img[IDENT_ADDR + 12] = flags
    return bytes(img)
