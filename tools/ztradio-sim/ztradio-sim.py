#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Simulated ZT-450E radio on a pseudo-terminal.

Serves the radio's side of the programming protocol: the "PROGRAM" handshake, the identification
request, 16-byte block reads and writes of the memory 0x0000..0x243F and of the information area
0x3F00..0x3FFF, and the "END" frame. It can behave like an echoing cable, pace its line at 9600 baud,
hold each reply back for a fixed time, hold a programming password and misbehave on purpose (ignored
handshakes, dropped replies, corrupt checksums, repeat requests, silence, a vanishing port, written
blocks acknowledged but lost or stored altered) so the link can be tested end to end.
"""

import argparse
import bisect
import os
import random
import select
import signal
import sys
import time
import tty

IMAGE_SIZE = 0x2440  # 9280 bytes of programmable memory
INFO_BASE = 0x3F00
INFO_SIZE = 0x100
IDENT_ADDR = 0x21F0
FLAGS_ADDR = 0x21FC
PASSWORD_ADDR = 0x3F2C
ACK = 0x06
REPEAT = 0x0A
BYTE_BITS = 10  # start bit, 8 data bits, stop bit
STALE_FRAME_S = 0.2  # a partial frame older than this is line noise
# A sleeping wait ends late by the scheduler's wake-up latency and timer slack (a tenth of a
# millisecond and more on a busy machine). The last byte of what is queued is the one the other
# side waits for, so the loop wakes this long before its deadline and then polls without sleeping.
FINAL_SPIN_S = 0.0005

FAULT_KINDS = ("handshake", "ident", "read", "write", "end")


def checksum(body):
    return sum(body) & 0xFF


def hexs(data):
    return " ".join("%02X" % b for b in data)


class Fault:
    """One injected fault: act on the next COUNT frames of KIND (at ADDR when given); COUNT "*"
    acts on every one (a radio that never accepts a block, for example)."""

    def __init__(self, text):
        parts = text.split(":")
        if not parts[0] or parts[0] not in FAULT_KINDS or len(parts) > 3:
            raise argparse.ArgumentTypeError(
                "fault must be KIND[:ADDR][:COUNT] with KIND one of %s" % ", ".join(FAULT_KINDS))
        self.kind = parts[0]
        self.addr = None
        self.count = 1
        try:
            if len(parts) > 1 and parts[1] not in ("", "*"):
                self.addr = int(parts[1], 0)
            if len(parts) > 2:
                self.count = float("inf") if parts[2] == "*" else int(parts[2], 0)
        except ValueError:
            raise argparse.ArgumentTypeError("bad address or count in fault %r" % text)
        self.text = text

    def take(self, kind, addr):
        """True (and one use spent) when this fault applies to the frame."""
        if self.count <= 0 or kind != self.kind:
            return False
        if self.addr is not None and addr != self.addr:
            return False
        self.count -= 1
        return True


class Line:
    """The serial line as the radio sees it. Unpaced, bytes go out at once. Paced, the line is
    shared by both directions at 9600 baud: every byte on the wire (received, echoed or sent) takes
    one character time, and each outgoing byte is due at a deadline t0 + k * 10/9600 s counted from
    the moment the line last went busy, so the pace does not drift with scheduling delays."""

    def __init__(self, paced, baud):
        self.paced = paced
        self.char_s = BYTE_BITS / float(baud)
        self.free_at = 0.0  # when the wire is next idle
        self.queue = bytearray()
        self.due = []  # deadline of each queued byte

    def _slot(self, now, n):
        start = max(self.free_at, now)
        self.free_at = start + n * self.char_s
        return start

    def received(self, n, now):
        """Accounts n bytes just received; returns the deadline at which each one has fully
        arrived (that is also when the echoing cable hands it back)."""
        if not self.paced:
            return [now] * n
        start = self._slot(now, n)
        return [start + (k + 1) * self.char_s for k in range(n)]

    def queue_at(self, data, deadlines):
        """Queues bytes with their deadlines; the queue stays in deadline order (a stray byte may
        be due later than a reply queued after it)."""
        if not self.due or deadlines[0] >= self.due[-1]:
            self.queue += data
            self.due += deadlines
            return
        for b, at in zip(data, deadlines):
            k = bisect.bisect_right(self.due, at)
            self.queue[k:k] = bytes([b])
            self.due.insert(k, at)

    def send(self, data, at):
        """Queues data to go out from time `at` on (paced: once the wire is free too); returns when
        its last byte is due."""
        if not self.paced:
            self.queue_at(data, [at] * len(data))
            return at
        start = self._slot(at, len(data))
        due = [start + (k + 1) * self.char_s for k in range(len(data))]
        self.queue_at(data, due)
        return due[-1]

    def send_stray(self, data, at):
        """Queues bytes that a faulty radio or cable sends on its own at time `at`: they do not
        wait for the wire (a cable's glitch does not queue), and go out between the replies due
        before and after them."""
        self.queue_at(data, [at] * len(data))

    def take_due(self, now):
        n = 0
        while n < len(self.due) and self.due[n] <= now:
            n += 1
        out = bytes(self.queue[:n])
        del self.queue[:n]
        del self.due[:n]
        return out

    def wait_s(self, now):
        """How long the loop may sleep before the next queued byte is due (None: nothing queued).
        Before the last queued byte it wakes early and then polls, so that byte goes out on time."""
        if not self.due:
            return None
        wait = self.due[0] - now
        if len(self.due) == 1:
            wait -= FINAL_SPIN_S
        return max(0.0, wait)


class Radio:
    def __init__(self, args, log):
        self.args = args
        self.log = log
        self.memory = bytearray(load_or_default(args.image, IMAGE_SIZE, default_image))
        self.info = bytearray(load_or_default(args.info, INFO_SIZE, default_info))
        if args.model is not None:
            model = args.model.encode("latin-1")[:6]
            self.memory[IDENT_ADDR:IDENT_ADDR + 6] = model + b"\x00" * (6 - len(model))
        if args.variant is not None:
            self.memory[IDENT_ADDR + 6] = args.variant & 0xFF
        if args.version is not None:
            version = args.version.encode("latin-1")[:4]
            self.memory[IDENT_ADDR + 8:IDENT_ADDR + 12] = version + b"\x00" * (4 - len(version))
        if args.flags is not None:
            self.memory[FLAGS_ADDR] = args.flags & 0xFF
        for text, at, size in ((args.serial, 0x30, 16), (args.sales_area, 0x00, 4), (args.customer_code, 0x20, 4)):
            if text is not None:
                raw = text.encode("latin-1")[:size]
                self.info[at:at + size] = raw + b"\xff" * (size - len(raw))
        if args.password is not None:
            pw = args.password.encode("latin-1")[:4]
            off = PASSWORD_ADDR - INFO_BASE
            self.info[off:off + 4] = pw + b"\xff" * (4 - len(pw))
        self.buf = bytearray()
        self.last_rx = 0.0
        self.programming = False
        self.handshakes_to_ignore = args.ignore_handshakes
        self.frames = 0
        self.silent = False
        self.vanish = False
        self.faults = {"drop": args.drop or [], "corrupt": args.corrupt or [], "nak": args.nak or [],
                       "lose": args.lose or [], "alter": args.alter or []}
        self.rng = random.Random(args.seed)

    def repeat_delay_s(self):
        """How long after an acknowledgement its repetition follows (--repeat-ack); None: none."""
        if self.args.repeat_ack is None:
            return None
        low = self.args.repeat_ack
        high = self.args.repeat_ack_max if self.args.repeat_ack_max is not None else low
        return self.rng.uniform(low, max(low, high)) / 1000.0

    # --- faults -----------------------------------------------------------------------------
    def fault(self, action, kind, addr):
        for f in self.faults[action]:
            if f.take(kind, addr):
                self.log.write("FAULT %s %s%s" % (action, kind, "" if addr is None else " %04X" % addr))
                return True
        return False

    # --- memory -----------------------------------------------------------------------------
    def read_mem(self, addr, n):
        out = bytearray()
        for a in range(addr, addr + n):
            if a < IMAGE_SIZE:
                out.append(self.memory[a])
            elif INFO_BASE <= a < INFO_BASE + INFO_SIZE:
                out.append(self.info[a - INFO_BASE])
            else:
                out.append(0xFF)
        return bytes(out)

    def write_mem(self, addr, data):
        # Only the programmable memory takes writes; the information area is factory data.
        for i, b in enumerate(data):
            if addr + i < IMAGE_SIZE:
                self.memory[addr + i] = b

    def dump(self):
        if not self.args.dump:
            return
        tmp = self.args.dump + ".tmp"
        with open(tmp, "wb") as f:
            f.write(self.memory)
        os.replace(tmp, self.args.dump)

    # --- frames -----------------------------------------------------------------------------
    def feed(self, data, now):
        """Takes received bytes; returns the replies, in order."""
        self.buf += data
        self.last_rx = now
        return self.parse(stale=False)

    def expire(self, now):
        """A partial frame that stopped growing is noise: skip bytes until a frame can be cut."""
        if self.buf and now - self.last_rx >= STALE_FRAME_S:
            return self.parse(stale=True)
        return []

    def parse(self, stale):
        replies = []
        while self.buf:
            n = self.frame_length()
            if n == 0:  # not the start of any frame
                self.log.write("NOISE %02X" % self.buf[0])
                del self.buf[0]
                continue
            if n > len(self.buf):  # incomplete frame: wait, unless it went stale
                if not stale:
                    break
                self.log.write("NOISE %02X (stale partial frame)" % self.buf[0])
                del self.buf[0]
                continue
            frame = bytes(self.buf[:n])
            reply = self.handle(frame)
            if reply is None:  # a frame that looked right at its start but is not one
                self.log.write("NOISE %02X" % self.buf[0])
                del self.buf[0]
                continue
            del self.buf[:n]
            if reply:
                replies.append(reply)
        return replies

    def frame_length(self):
        """Length of the frame that starts the buffer, or 0 when no frame starts with its first
        byte (a longer length than the buffer holds means: wait for more)."""
        b = self.buf
        first = b[0]
        if first == ord("P"):
            return 7 if b"PROGRAM".startswith(bytes(b[:7])) else 0
        if first == ord("E"):
            return 3 if b"END".startswith(bytes(b[:3])) else 0
        if first == 0x02:
            return 1
        if first == ord("R"):
            return 4
        if first == ord("W"):
            if len(b) < 4:
                return 4 + 1  # the length byte decides; ask for more
            return b[3] + 6
        return 0

    def handle(self, frame):
        """Acts on one complete frame. Returns the reply bytes (b"" for no reply), or None when
        the bytes are not a frame after all."""
        first = frame[0]
        if first == ord("W") and frame[-1] != ACK:
            return None
        kind, addr = {
            ord("P"): ("handshake", None),
            0x02: ("ident", None),
            ord("R"): ("read", None),
            ord("W"): ("write", None),
            ord("E"): ("end", None),
        }[first]
        if kind in ("read", "write"):
            addr = frame[1] * 256 + frame[2]
        self.log.frame("RX", kind, addr, frame)
        self.frames += 1
        if self.args.vanish_after is not None and self.frames > self.args.vanish_after:
            self.log.write("VANISH")
            self.vanish = True
            return b""
        if self.args.silent_after is not None and self.frames > self.args.silent_after:
            if not self.silent:
                self.log.write("SILENT")
            self.silent = True
        if self.silent:
            return b""
        if kind == "handshake":
            if self.handshakes_to_ignore > 0:
                self.handshakes_to_ignore -= 1
                self.log.write("IGNORED handshake")
                return b""
            self.programming = True
            reply = b"ZT\x06"
        elif not self.programming:
            self.log.write("IGNORED %s (no handshake yet)" % kind)
            return b""
        elif kind == "ident":
            reply = b"P" + bytes(self.memory[IDENT_ADDR:IDENT_ADDR + 14]) + b"\x06"
        elif kind == "read":
            n = frame[3]
            body = bytes(frame[1:4]) + self.read_mem(addr, n)
            cs = checksum(body)
            if self.fault("corrupt", kind, addr):
                cs = (cs + 1) & 0xFF
            reply = b"W" + body + bytes([cs, ACK])
        elif kind == "write":
            n = frame[3]
            if checksum(frame[1:4 + n]) != frame[4 + n]:
                self.log.write("BAD CHECKSUM write %04X" % addr)
                reply = bytes([REPEAT])
            elif self.fault("nak", kind, addr):
                reply = bytes([REPEAT])
            elif self.fault("lose", kind, addr):
                reply = bytes([ACK])  # acknowledged, never stored
            else:
                data = bytearray(frame[4:4 + n])
                if self.fault("alter", kind, addr):
                    data[0] ^= 0x01  # stored with one bit changed
                self.write_mem(addr, data)
                reply = bytes([ACK])
        else:  # end
            self.programming = False
            self.dump()
            reply = bytes([ACK])
        if kind != "write" and self.fault("nak", kind, addr):
            reply = bytes([REPEAT])  # a stray repeat request where a reply was due
        if self.fault("drop", kind, addr):
            return b""
        self.log.frame("TX", kind, addr, reply)
        return reply


class Log:
    def __init__(self, path):
        self.f = open(path, "a", buffering=1) if path else None
        self.t0 = time.monotonic()

    def write(self, text):
        if self.f:
            self.f.write("%.6f %s\n" % (time.monotonic() - self.t0, text))

    def frame(self, direction, kind, addr, data):
        if self.f:
            where = "" if addr is None else " %04X" % addr
            self.write("%s %s%s: %s" % (direction, kind, where, hexs(data)))


def default_image():
    """Erased memory holding the radio's identification, a first group of channels and channel 481."""
    mem = bytearray([0xFF]) * IMAGE_SIZE
    # Channels 1..40 on the 10 kHz raster from 26.965 MHz, and channel 481, which the radio
    # always holds (an erased slot there would read back as 65.535 MHz, outside the band).
    for n in list(range(1, 41)) + [481]:
        khz = 26965 + 10 * (n - 1) if n <= 40 else 29600
        slot = bytearray([khz & 0xFF, khz >> 8, 0xFF, 0xFF, 0xFF, 0x09, 0xFF, 0xFF, 0xFF, 0xFF,
                          0, 0, 0, 0, 0, 0xFF])
        mem[n * 16:n * 16 + 16] = slot
    for base in (0x20A0, 0x20F0):  # scan and used-channel bitmaps
        mem[base:base + 66] = bytes(66)
        mem[base:base + 5] = b"\xff" * 5
    mem[0x2170:0x2180] = bytes(16)
    mem[IDENT_ADDR:IDENT_ADDR + 16] = b"ZR2450" + bytes([2, 0xFF]) + b"V300" + bytes([0, 0]) + b"\xff\xff"
    return mem


def default_info():
    info = bytearray([0xFF]) * INFO_SIZE
    info[0x00:0x04] = b"0595"
    info[0x20:0x24] = b"001A"
    info[0x30:0x3A] = b"ZT45000001"
    return info


def load_or_default(path, size, default):
    if not path:
        return default()
    with open(path, "rb") as f:
        data = f.read()
    if len(data) != size:
        raise SystemExit("%s: expected %d bytes, found %d" % (path, size, len(data)))
    return data


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--link", metavar="PATH", help="also make PATH a symbolic link to the device")
    p.add_argument("--echo", action="store_true", help="echoing cable: every received byte comes back first")
    p.add_argument("--paced", action="store_true", help="pace the line at the baud rate")
    p.add_argument("--reply-delay", type=float, default=0.0, metavar="MS",
                   help="hold each reply MS milliseconds before it starts (as a USB adapter's latency "
                        "timer holds a short reply)")
    p.add_argument("--baud", type=int, default=9600)
    p.add_argument("--password", help="programming password (up to 4 characters)")
    p.add_argument("--serial", help="serial number in the information area (up to 16 characters)")
    p.add_argument("--sales-area", help="sales area code in the information area (up to 4 characters)")
    p.add_argument("--customer-code", help="customer code in the information area (up to 4 characters)")
    p.add_argument("--model", help="model identification (up to 6 characters)")
    p.add_argument("--variant", type=lambda s: int(s, 0), help="band/variant code")
    p.add_argument("--version", help="firmware version text (4 characters)")
    p.add_argument("--flags", type=lambda s: int(s, 0), help="radio flag byte at 0x21FC")
    p.add_argument("--image", help="file of 9280 bytes: memory 0x0000..0x243F")
    p.add_argument("--info", help="file of 256 bytes: information area 0x3F00..0x3FFF")
    p.add_argument("--dump", metavar="FILE", help="write the memory to FILE on every END")
    p.add_argument("--log", metavar="FILE", help="append a log of every frame to FILE")
    p.add_argument("--ignore-handshakes", type=int, default=0, metavar="K",
                   help="ignore the first K handshakes")
    p.add_argument("--drop", type=Fault, action="append", metavar="KIND[:ADDR][:COUNT]",
                   help="send no reply to the matching frames (KIND: %s)" % ", ".join(FAULT_KINDS))
    p.add_argument("--corrupt", type=Fault, action="append", metavar="read[:ADDR][:COUNT]",
                   help="answer the matching block reads with a wrong checksum")
    p.add_argument("--nak", type=Fault, action="append", metavar="KIND[:ADDR][:COUNT]",
                   help="answer the matching frames with a repeat request (0x0A) in place of the "
                        "reply; only a write frame is kept back for it (write:ADDR:* never accepts "
                        "that block)")
    p.add_argument("--lose", type=Fault, action="append", metavar="write[:ADDR][:COUNT]",
                   help="acknowledge the matching write frames without storing them")
    p.add_argument("--alter", type=Fault, action="append", metavar="write[:ADDR][:COUNT]",
                   help="acknowledge the matching write frames but store their first byte with bit 0 "
                        "inverted")
    p.add_argument("--repeat-ack", type=float, metavar="MS",
                   help="send every acknowledgement of a write frame (and of END) twice, the second MS "
                        "milliseconds after the first")
    p.add_argument("--repeat-ack-max", type=float, metavar="MS",
                   help="with --repeat-ack: the second comes after a random time between --repeat-ack "
                        "and this many milliseconds")
    p.add_argument("--seed", type=int, default=1, help="seed of the random delays")
    p.add_argument("--silent-after", type=int, metavar="N", help="answer nothing after N frames")
    p.add_argument("--vanish-after", type=int, metavar="N", help="close the port and exit at frame N+1")
    return p.parse_args(argv)


def run(args):
    master, slave = os.openpty()
    tty.setraw(slave)  # no echo, no line editing, no CR/LF translation in the radio's line
    tty.setraw(master)
    os.set_blocking(master, False)
    device = os.ttyname(slave)
    if args.link:
        try:
            os.unlink(args.link)
        except FileNotFoundError:
            pass
        os.symlink(device, args.link)
    log = Log(args.log)
    radio = Radio(args, log)
    line = Line(args.paced, args.baud)
    reply_delay_s = args.reply_delay / 1000.0
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    print(args.link or device, flush=True)
    log.write("READY %s" % device)
    pending = b""  # bytes due but not yet taken by the port
    try:
        while not stop and not radio.vanish:
            now = time.monotonic()
            timeout = 1.0
            wait = line.wait_s(now)
            if wait is not None:
                timeout = wait
            if radio.buf:
                timeout = min(timeout, max(0.0, radio.last_rx + STALE_FRAME_S - now))
            try:
                readable, _, _ = select.select([master], [master] if pending else [], [], timeout)
            except InterruptedError:
                continue
            now = time.monotonic()
            if readable:
                try:
                    data = os.read(master, 4096)
                except BlockingIOError:
                    data = b""
                except OSError:  # no process holds the device; our own handle keeps it alive
                    data = b""
                    time.sleep(0.01)
                if data:
                    arrived = line.received(len(data), now)
                    if args.echo:
                        line.queue_at(data, arrived)
                    # A frame is complete once its last byte has crossed the wire.
                    for reply in radio.feed(data, now):
                        at = arrived[-1] + reply_delay_s
                        sent_at = line.send(reply, at)
                        again = radio.repeat_delay_s() if reply == bytes([ACK]) else None
                        if again is not None:
                            log.write("REPEATED ACK in %.1f ms" % (again * 1000.0))
                            line.send_stray(reply, sent_at + again)
            for reply in radio.expire(now):
                line.send(reply, now + reply_delay_s)
            pending += line.take_due(time.monotonic())
            if pending:
                try:
                    n = os.write(master, pending)
                except (BlockingIOError, OSError):
                    n = 0
                pending = pending[n:]
    finally:
        if args.link:
            try:
                if os.readlink(args.link) == device:
                    os.unlink(args.link)
            except OSError:
                pass
        log.write("EXIT")
        os.close(master)
        os.close(slave)


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    run(args)


if __name__ == "__main__":
    main()
