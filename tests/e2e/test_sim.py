# SPDX-License-Identifier: GPL-3.0-or-later
"""The simulated radio on its own: protocol, echo, pacing schedule, faults and noise."""

import importlib.util
import os
import shutil
import tempfile
import unittest

from simradio import SIM, Port, SimRadio, checksum, random_image, read_frame, write_frame

loader_info = importlib.util.spec_from_loader("ztradio_sim", loader=None)
sim_module = importlib.util.module_from_spec(loader_info)
with open(SIM) as f:
    exec(compile(f.read(), SIM, "exec"), sim_module.__dict__)


class SimTestCase(unittest.TestCase):
    def start(self, *args):
        radio = SimRadio(*args)
        self.addCleanup(radio.close)
        port = Port(radio.device)
        self.addCleanup(port.close)
        return radio, port

    def handshake(self, port):
        port.send(b"PROGRAM")
        self.assertEqual(port.recv(3), b"ZT\x06")


class ProtocolTest(SimTestCase):
    def test_read_write_end_round_trip(self):
        image = random_image(7)
        tmp = tempfile.mkdtemp(prefix="ztsim-")
        self.addCleanup(shutil.rmtree, tmp, True)
        with open(os.path.join(tmp, "in.img"), "wb") as f:
            f.write(image)
        radio, port = self.start("--image", os.path.join(tmp, "in.img"), "--password", "12")

        port.send(b"\x02")  # nothing is answered before the handshake
        self.assertTrue(port.quiet())
        self.handshake(port)

        port.send(b"\x02")
        self.assertEqual(port.recv(16), b"P" + image[0x21F0:0x21FE] + b"\x06")

        for addr in (0x0000, 0x1230, 0x2430):
            port.send(read_frame(addr))
            reply = port.recv(22)
            body = bytes([addr >> 8, addr & 0xFF, 0x10]) + image[addr:addr + 16]
            self.assertEqual(reply, b"W" + body + bytes([checksum(body), 0x06]))

        port.send(read_frame(0x3F20))  # password block: bytes 12..15 hold the password
        self.assertEqual(port.recv(22)[4 + 12:4 + 16], b"12\xff\xff")

        port.send(write_frame(0x0100, range(16)))
        self.assertEqual(port.recv(1), b"\x06")
        bad = bytearray(write_frame(0x0110, [0xAA] * 16))
        bad[-2] ^= 1
        port.send(bytes(bad))
        self.assertEqual(port.recv(1), b"\x0a")  # wrong checksum: asked again, nothing stored
        port.send(write_frame(0x3F30, [0] * 16))  # the information area is not writable
        self.assertEqual(port.recv(1), b"\x06")
        port.send(b"END")
        self.assertEqual(port.recv(1), b"\x06")

        expected = bytearray(image)
        expected[0x0100:0x0110] = bytes(range(16))
        self.assertEqual(radio.dumped(), bytes(expected))
        port.send(read_frame(0x3F30))  # after END the radio wants a handshake again
        self.assertTrue(port.quiet())

    def test_echoing_cable_returns_the_request_before_the_reply(self):
        radio, port = self.start("--echo")
        port.send(b"PROGRAM")
        self.assertEqual(port.recv(10), b"PROGRAMZT\x06")
        port.send(b"\x55\x02")  # noise is echoed too, and then skipped by the radio
        self.assertEqual(port.recv(18)[:2], b"\x55\x02")

    def test_reply_delay_holds_the_reply_but_not_the_echo(self):
        radio, port = self.start("--echo", "--reply-delay", "400")
        port.send(b"PROGRAM")
        self.assertEqual(port.recv(7), b"PROGRAM")
        self.assertTrue(port.quiet(wait=0.2))
        self.assertEqual(port.recv(3), b"ZT\x06")

    def test_noise_never_stops_the_radio(self):
        radio, port = self.start()
        port.send(bytes(range(256)) * 4 + b"PROGRA")  # garbage and a cut handshake
        self.assertTrue(port.quiet(0.4))
        port.send(b"W\x00\x10")  # a frame start that never completes goes stale
        self.assertTrue(port.quiet(0.4))
        self.handshake(port)
        port.send(b"RRPROG" + read_frame(0x0000))
        self.assertEqual(len(port.recv(22)), 22)
        self.assertTrue(radio.alive())


class FaultTest(SimTestCase):
    def test_ignored_handshakes(self):
        radio, port = self.start("--ignore-handshakes", "2")
        for _ in range(2):
            port.send(b"PROGRAM")
            self.assertTrue(port.quiet(0.2))
        self.handshake(port)

    def test_reply_faults_hit_only_the_chosen_frames(self):
        radio, port = self.start("--drop", "read:0x0020:2", "--corrupt", "read:0x0030",
                                 "--nak", "write:0x0040:1")
        self.handshake(port)
        for _ in range(2):
            port.send(read_frame(0x0020))
            self.assertTrue(port.quiet(0.2))
        port.send(read_frame(0x0020))
        self.assertEqual(len(port.recv(22)), 22)

        port.send(read_frame(0x0030))
        bad = port.recv(22)
        self.assertNotEqual(bad[-2], checksum(bad[1:-2]))
        port.send(read_frame(0x0030))
        good = port.recv(22)
        self.assertEqual(good[-2], checksum(good[1:-2]))

        port.send(write_frame(0x0040, [1] * 16))
        self.assertEqual(port.recv(1), b"\x0a")
        port.send(write_frame(0x0040, [1] * 16))
        self.assertEqual(port.recv(1), b"\x06")

    def test_writes_acknowledged_but_lost_or_altered(self):
        radio, port = self.start("--lose", "write:0x0050", "--alter", "write:0x0060")
        self.handshake(port)
        port.send(read_frame(0x0050))
        before = port.recv(22)[4:20]
        for addr in (0x0050, 0x0060, 0x0070):
            port.send(write_frame(addr, [0x42] * 16))
            self.assertEqual(port.recv(1), b"\x06")  # every one acknowledged
        port.send(b"END")
        self.assertEqual(port.recv(1), b"\x06")
        memory = radio.dumped()
        self.assertEqual(memory[0x0050:0x0060], before)  # what the radio held before
        self.assertEqual(memory[0x0060:0x0070], b"\x43" + b"\x42" * 15)
        self.assertEqual(memory[0x0070:0x0080], b"\x42" * 16)

    def test_silent_after_and_vanish(self):
        radio, port = self.start("--echo", "--silent-after", "2")
        port.send(b"PROGRAM")
        self.assertEqual(port.recv(10), b"PROGRAMZT\x06")
        port.send(b"\x02")
        self.assertEqual(len(port.recv(17)), 17)
        port.send(b"\x02")  # the radio is silent; the cable still echoes
        self.assertEqual(port.recv(17, timeout=0.4), b"\x02")

        radio, port = self.start("--vanish-after", "1")
        self.handshake(port)
        port.send(b"\x02")
        radio.proc.wait(5)
        self.assertFalse(radio.alive())


class PacingTest(unittest.TestCase):
    def test_deadlines_follow_the_line_clock(self):
        line = sim_module.Line(paced=True, baud=9600)
        c = 10 / 9600
        arrived = line.received(4, 100.0)  # a read request occupies the wire first
        self.assertEqual(arrived, [100.0 + (k + 1) * c for k in range(4)])
        line.send(b"x" * 22, arrived[-1])  # the reply follows without a gap
        self.assertAlmostEqual(line.due[-1], 100.0 + 26 * c)
        self.assertEqual(line.take_due(100.0 + 10 * c + 1e-9), b"x" * 6)
        # The radio was idle for a while: the clock starts again from now, not from the past.
        line.send(b"y", 200.0)
        self.assertAlmostEqual(line.due[-1], 200.0 + c)

    def test_unpaced_line_sends_at_once(self):
        line = sim_module.Line(paced=False, baud=9600)
        line.queue_at(b"ab", line.received(2, 5.0))
        line.send(b"c", 5.0)
        self.assertEqual(line.take_due(5.0), b"abc")


if __name__ == "__main__":
    unittest.main()
