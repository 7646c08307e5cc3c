# SPDX-License-Identifier: GPL-3.0-or-later
"""Backups and verify after write from the command line, against the simulated radio on a real
pseudo-terminal: a backup for every complete read and before every write, none for a failed read,
and a write read back that says "verified" or names what the radio holds differently."""

import configparser
import os

from simradio import random_image
from test_cli import CliTestCase


class BackupVerifyTest(CliTestCase):
    def backups(self, folder=None):
        """(description, folder) of each complete backup, oldest first."""
        folder = folder or self.path("data/ztprog/ztprog/backups")
        if not os.path.isdir(folder):
            return []
        found = []
        for name in sorted(os.listdir(folder)):
            desc = configparser.ConfigParser()
            if desc.read(os.path.join(folder, name, "backup.ini")):
                found.append((desc["Backup"], os.path.join(folder, name)))
        return found

    def test_reads_and_writes_keep_backups_and_failures_keep_nothing(self):
        image = random_image(21)
        radio = self.radio(image=image)
        self.ok("read", "--yes", "--port", radio.device, self.path("read.dat"))
        (desc, folder), = self.backups()
        self.assertEqual(desc["Kind"], "read")
        with open(os.path.join(folder, "image.bin"), "rb") as f:
            self.assertEqual(f.read(), image)
        # The backup's pair is what the read saved.
        for ext in ("dat", "fre"):
            with open(os.path.join(folder, "radio." + ext), "rb") as f:
                self.assertEqual(f.read(), self.get("read." + ext))

        self.ok("write", "--yes", "--port", radio.device, self.path("read.dat"))
        kinds = [d["Kind"] for d, _ in self.backups()]
        self.assertEqual(sorted(kinds), ["read", "write"])

        # A chosen folder, and none at all.
        self.ok("image", "--yes", "--backup-dir", self.path("mine"), "--port", radio.device, self.path("x.bin"))
        self.assertEqual(len(self.backups(self.path("mine"))), 1)
        self.ok("read", "--yes", "--no-backup", "--port", radio.device, self.path("y.dat"))
        self.assertEqual(len(self.backups()), 2)
        radio.close()

        # A radio that stops answering mid-read: a failure, and nothing kept, not even hidden.
        silent = self.radio("--silent-after", "200", image=image)
        status, _, _ = self.cli("read", "--yes", "--retries", "0", "--backup-dir", self.path("failed"),
                                "--port", silent.device, self.path("z.dat"))
        self.assertEqual(status, 1)
        self.assertEqual(os.listdir(self.path("failed")) if os.path.isdir(self.path("failed")) else [], [])

    def test_write_verify_names_what_the_radio_holds_differently(self):
        dat = self.pair_from_image(random_image(22))
        cases = [
            # (simulated radio faults, exit status, what stdout says)
            ([], 0, ["verified"]),
            (["--lose", "write:0x00C0"], 3, ["Group 0 CH 12 (channel 12):"]),
            (["--alter", "write:0x2140", "--lose", "write:0x1000"], 3, ["Settings: groups", "Group 6 CH 16 (channel 256):"]),
        ]
        for faults, status, says in cases:
            with self.subTest(faults=faults):
                radio = self.radio("--echo", *faults, image=random_image(23))
                got, out, err = self.cli("write", "--verify", "--yes", "--port", radio.device, dat)
                self.assertEqual(got, status, err)
                lines = out.splitlines()
                self.assertEqual(len(lines), len(says), out)
                for line, start in zip(lines, says):
                    self.assertTrue(line.startswith(start), out)
                if status:
                    self.assertIn("holds something else", err)
                # The read-back reads every block once more after the write's 580 frames.
                self.assertEqual(len(radio.frames("RX", "write")), 580)
                self.assertEqual(len(radio.frames("RX", "read")), 2 + 580)
                radio.close()

    def test_radio_silent_during_the_read_back_is_not_a_failed_write(self):
        dat = self.pair_from_image(random_image(24))
        # handshake, identification, password block, 580 blocks and the end frame are answered
        radio = self.radio("--silent-after", "584", image=random_image(25))
        status, out, err = self.cli("write", "--verify", "--yes", "--port", radio.device, dat)
        self.assertEqual(status, 4, err)
        self.assertIn("not verified", err)
        self.assertNotIn("failed", err.lower())
        self.assertEqual(len(radio.frames("RX", "write")), 580)
        self.assertEqual(len(self.backups()), 1)  # the write's, kept before it began
