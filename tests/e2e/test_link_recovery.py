# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli when a write goes wrong, against the simulated radio on a real pseudo-terminal: a radio
that never accepts a block, a radio whose port goes away and comes back, a write cut short after
its first block, and a write whose backup cannot be kept."""

import os
import re
import shutil
import subprocess
import tempfile
import time

from clicase import TIME_LIMIT_S
from simradio import CLI, IDENT_ADDR, SimRadio, random_image
from test_cli import CliTestCase


class LinkRecoveryTest(CliTestCase):
    def write_frames_at(self, radio, addr):
        tag = "RX write %04X:" % addr
        return sum(1 for line in radio.log() if tag in line)

    def failure_line(self, err):
        lines = err.strip().splitlines()
        self.assertEqual(len(lines), 1, err)
        self.assertTrue(lines[0].startswith("ztprog-cli: "), err)
        return lines[0]

    def test_a_block_never_accepted_ends_in_a_failure_after_bounded_resending(self):
        dat = self.pair_from_image(random_image(31))
        for retries in (0, 1):
            with self.subTest(retries=retries):
                radio = self.radio("--nak", "write:0x0120:*", image=random_image(32))
                started = time.monotonic()
                status, _, err = self.cli("write", "--yes", "--retries", str(retries), "--port", radio.device, dat)
                self.assertEqual(status, 1, err)
                self.assertLess(time.monotonic() - started, 30)
                line = self.failure_line(err)
                self.assertIn("0x0120", line)
                # Sent once and asked for again five times, in each of the 1 + retries attempts.
                self.assertEqual(self.write_frames_at(radio, 0x0120), 6 * (1 + retries))
                # The blocks before it were written: the radio may hold a partly written memory.
                self.assertIn("partly written", line)
                radio.close()

    def test_a_write_cut_short_names_the_backup_kept_before_it(self):
        dat = self.pair_from_image(random_image(33))
        # The information area (19 frames) and the memory before the write (584) are answered,
        # then 300 frames of the write.
        held = random_image(34)
        radio = self.radio("--silent-after", "903", image=held)
        status, _, err = self.cli("write", "--yes", "--retries", "0", "--port", radio.device, dat)
        self.assertEqual(status, 1, err)
        line = self.failure_line(err)
        self.assertIn("partly written", line)
        backups = self.path("data/ztprog/ztprog/backups")
        folder = re.search(re.escape(backups) + r"/\S+", line)
        self.assertIsNotNone(folder, line)
        self.assertIn("before-write", folder.group(0))
        # The backup named is the radio's memory before the write: restored, the radio holds it again.
        again = self.radio(image=random_image(40))
        self.ok("restore", "--yes", "--port", again.device, folder.group(0))
        ident = range(IDENT_ADDR, IDENT_ADDR + 14)  # the radio's own identification stays its own
        self.assertEqual(bytes(b for a, b in enumerate(again.dumped()) if a not in ident),
                         bytes(b for a, b in enumerate(held) if a not in ident))
        # A write that fails before its first block says nothing of the kind.
        silent = self.radio("--ignore-handshakes", "99")
        status, _, err = self.cli("write", "--yes", "--retries", "0", "--port", silent.device, dat)
        self.assertEqual(status, 1)
        self.assertNotIn("partly written", self.failure_line(err))

    def test_a_write_whose_backup_cannot_be_kept_does_not_start(self):
        dat = self.pair_from_image(random_image(35))
        blocker = self.put("blocked", b"a file where the backups folder should be\n")
        radio = self.radio(image=random_image(36))
        status, _, err = self.cli("write", "--yes", "--backup-dir", blocker, "--port", radio.device, dat)
        self.assertEqual(status, 1, err)
        self.assertIn("--no-backup", self.failure_line(err))
        # The radio was read (its information, its memory to keep), but nothing was written.
        self.assertEqual(radio.frames("RX", "write"), [])
        # Chosen on the command line, the write goes on without one.
        self.ok("write", "--yes", "--no-backup", "--port", radio.device, dat)
        self.assertEqual(len(radio.frames("RX", "write")), 580)
        # A read still goes on, with a warning.
        status, _, err = self.cli("read", "--yes", "--backup-dir", blocker, "--port", radio.device,
                                  self.path("read.dat"))
        self.assertEqual(status, 0, err)
        self.assertIn("warning: no backup kept", err)
        self.assertTrue(os.path.exists(self.path("read.dat")))

    def test_a_port_that_goes_away_and_comes_back_is_opened_again(self):
        image = random_image(37)
        dat = self.pair_from_image(random_image(38))
        written = self.expected_write(dat, image)
        for command in ("read", "write"):
            with self.subTest(command=command):
                workdir = tempfile.mkdtemp(prefix="ztsim-")
                self.addCleanup(shutil.rmtree, workdir, True)
                first = SimRadio("--vanish-after", "200", "--image", self.put("radio.img", image),
                                 workdir=workdir)
                self.addCleanup(first.close)
                target = self.path("out.dat") if command == "read" else dat
                cli = subprocess.Popen([CLI, "--quiet", command, "--yes", "--retries", "20", "--port",
                                        first.device, target], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                       stdin=subprocess.DEVNULL, text=True, env=self.env())
                # The radio's port goes away mid-exchange and is back a moment later, same name.
                deadline = time.monotonic() + 20
                while first.alive() and time.monotonic() < deadline:
                    time.sleep(0.05)
                self.assertFalse(first.alive())
                time.sleep(0.5)
                second = SimRadio("--image", self.path("radio.img"), workdir=workdir)
                self.addCleanup(second.close)
                try:
                    _, err = cli.communicate(timeout=TIME_LIMIT_S)
                except subprocess.TimeoutExpired:
                    cli.kill()
                    cli.communicate()
                    self.fail("ztprog-cli did not end")
                self.assertEqual(cli.returncode, 0, err)
                if command == "write":
                    self.assertEqual(second.dumped(), written)
                else:
                    # What was read is the radio's memory exactly: as decoding it offline gives.
                    self.ok("decode", self.path("radio.img"), self.path("offline.dat"))
                    for ext in ("dat", "fre"):
                        self.assertEqual(self.get("out." + ext), self.get("offline." + ext))
                second.close()
                first.close()
