# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli against a radio that sends each acknowledgement twice, and a write or read stopped by
SIGINT or SIGTERM, on the simulated radio behind a real pseudo-terminal."""

import os
import re
import signal
import subprocess
import time

from clicase import TIME_LIMIT_S
from simradio import CLI, random_image
from test_cli import CliTestCase


class RepeatedAcksTest(CliTestCase):
    """A write is reported written only when the radio confirmed it: with repeated acknowledgements
    that is the read-back, whatever the acknowledgements seemed to say."""

    def test_a_write_is_confirmed_by_what_the_radio_holds(self):
        dat = self.pair_from_image(random_image(71))
        cases = [
            ("each repeated after 15 ms", ["--repeat-ack", "15"], False),
            ("repeated after random delays", ["--repeat-ack", "1", "--repeat-ack-max", "40", "--seed", "7"], False),
            # On a paced line the repetition of the information area's last acknowledgement comes in
            # front of the next exchange's replies: the exchange may fail, never report success.
            ("paced line, repeated after 15 ms", ["--paced", "--repeat-ack", "15"], True),
            ("repeated after 15 ms, a block refused once", ["--repeat-ack", "15", "--nak", "write:0x0800"], True),
            ("random delays, blocks refused", ["--repeat-ack", "0", "--repeat-ack-max", "30", "--seed", "3",
                                               "--nak", "write:0x0400", "--nak", "write:0x1800"], True),
        ]
        for name, sim_args, may_fail in cases:
            with self.subTest(name):
                radio = self.radio(*sim_args, image=random_image(72))
                status, out, err = self.cli("write", "--yes", "--retries", "0", "--port", radio.device, dat)
                holds = radio.dumped() == self.expected_write(dat, random_image(72))
                # Written (status 0) only when the radio holds what was written and the write was
                # read back to show it; otherwise a failure status.
                if status == 0:
                    self.assertTrue(holds, err)
                    self.assertIn("verified", out)
                else:
                    self.assertIn(status, (1, 3, 4), err)
                if status in (0, 3):
                    self.assertTrue(any(" RX read" in l for l in radio.log()[-600:]),
                                    "the write was not read back")
                if not may_fail:
                    self.assertEqual(status, 0, err)
                radio.close()

    def test_a_fast_radio_that_answers_once_is_not_doubted(self):
        dat = self.pair_from_image(random_image(73))
        radio = self.radio(image=random_image(74))
        status, out, err = self.cli("write", "--yes", "--port", radio.device, dat)
        self.assertEqual(status, 0, err)
        self.assertNotIn("verified", out)
        self.assertEqual(radio.dumped(), self.expected_write(dat, random_image(74)))
        # No read-back: the write's end frame is the last frame.
        rx = [l for l in radio.log() if l.split(" ", 1)[1].startswith("RX ")]
        self.assertTrue(rx[-1].split(" ", 1)[1].startswith("RX end"), rx[-1])


class StopSignalTest(CliTestCase):
    """SIGINT or SIGTERM during a single write or read: the block in flight is finished, the end
    frame reaches the radio, the user learns what the radio may hold, and the status is 130."""

    def start_cli(self, *args):
        return subprocess.Popen([CLI, "--quiet"] + [str(a) for a in args], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True, env=self.env())

    def wait_for_frames(self, radio, tag, n):
        deadline = time.monotonic() + TIME_LIMIT_S
        while time.monotonic() < deadline:
            if sum(1 for l in radio.log() if tag in l) >= n:
                return
            time.sleep(0.02)
        self.fail("the radio never got %d frames %r" % (n, tag))

    def test_a_stopped_exchange_ends_the_radio_session(self):
        dat = self.pair_from_image(random_image(75))
        for command, sig in (("write", signal.SIGINT), ("write", signal.SIGTERM), ("read", signal.SIGINT)):
            with self.subTest(command=command, signal=sig.name):
                # A paced line, so that the exchange is still running when the signal comes.
                radio = self.radio("--paced", image=random_image(76))
                target = dat if command == "write" else self.path("read.dat")
                proc = self.start_cli(command, "--yes", "--port", radio.device, target)
                tag = "RX write" if command == "write" else "RX read"
                self.wait_for_frames(radio, tag, 100 if command == "write" else 300)
                proc.send_signal(sig)
                try:
                    out, err = proc.communicate(timeout=TIME_LIMIT_S)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    self.fail("ztprog-cli did not end after %s" % sig.name)
                self.assertEqual(proc.returncode, 130, err)
                log = radio.log()
                ends = [i for i, l in enumerate(log) if "RX end" in l]
                self.assertTrue(ends, "no end frame reached the radio")
                # The end frame is the last frame of the exchange, after the block in flight.
                last_rx = max(i for i, l in enumerate(log) if l.split(" ", 1)[1].startswith("RX "))
                self.assertEqual(ends[-1], last_rx)
                self.assertIn("Stopping", err)
                if command == "write":
                    self.assertIn("partly written", err)
                    written = sum(1 for l in log if "RX write" in l)
                    self.assertLess(written, 580)
                    m = re.search(r"acknowledged the channels up to Group (\d+) CH (\d+) \(channel (\d+)\)", err)
                    self.assertIsNotNone(m, err)
                    # Channel N is written with the block at N * 16: the last block acknowledged.
                    acked = [int(re.search(r"RX write ([0-9A-F]{4})", l).group(1), 16)
                             for l in log if "RX write" in l]
                    self.assertEqual(int(m.group(3)), max(acked) // 16)
                    self.assertIn("before-write", err)
                else:
                    self.assertFalse(os.path.exists(target))
                radio.close()
