# SPDX-License-Identifier: GPL-3.0-or-later
"""Backups and verify after write from the command line, against the simulated radio on a real
pseudo-terminal: a backup for every complete read, of the radio's memory before every write and of
every write, none for a failed read; each names the radio on the cable; restore puts a backup's
memory back byte for byte; and a write read back says "verified" or names what the radio holds
differently."""

import configparser
import os
import re
import shutil

from simradio import IDENT_ADDR, random_image
from test_cli import CliTestCase

# Frames of an exchange: the information area (handshake, identification, 16 blocks, end), and a
# whole read (handshake, identification, password block, 580 blocks, end).
INFO_FRAMES = 19
READ_FRAMES = 584


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
        self.assertEqual(sorted(kinds), ["before write", "read", "write"])
        self.ok("write", "--yes", "--no-keep-before-write", "--port", radio.device, self.path("read.dat"))
        kinds = [d["Kind"] for d, _ in self.backups()]
        self.assertEqual(sorted(kinds), ["before write", "read", "write", "write"])

        # A chosen folder, and none at all.
        self.ok("image", "--yes", "--backup-dir", self.path("mine"), "--port", radio.device, self.path("x.bin"))
        self.assertEqual(len(self.backups(self.path("mine"))), 1)
        self.ok("read", "--yes", "--no-backup", "--port", radio.device, self.path("y.dat"))
        self.assertEqual(len(self.backups()), 4)
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
                # The information area, the memory before the write (with its password block), the
                # write's password block, and the read-back of every block once more.
                self.assertEqual(len(radio.frames("RX", "write")), 580)
                self.assertEqual(len(radio.frames("RX", "read")), 16 + 581 + 1 + 581)
                radio.close()

    def test_radio_silent_during_the_read_back_is_not_a_failed_write(self):
        dat = self.pair_from_image(random_image(24))
        # the information area, the memory before the write, then handshake, identification,
        # password block, 580 blocks and the end frame of the write are answered
        radio = self.radio("--silent-after", INFO_FRAMES + 2 * READ_FRAMES, image=random_image(25))
        status, out, err = self.cli("write", "--verify", "--yes", "--port", radio.device, dat)
        self.assertEqual(status, 4, err)
        self.assertIn("not verified", err)
        self.assertNotIn("failed", err.lower())
        self.assertEqual(len(radio.frames("RX", "write")), 580)
        kinds = sorted(d["Kind"] for d, _ in self.backups())
        self.assertEqual(kinds, ["before write", "write"])
        write, = [d for d, _ in self.backups() if d["Kind"] == "write"]
        self.assertEqual(write["Verified"], "not checked")
        self.assertEqual(write["Result"], "written")

    def listed(self, *args):
        """`ztprog-cli backups`: the header's columns and one dict a backup, newest first."""
        lines = self.ok("backups", *args).splitlines()
        header = lines[0].split("\t")
        return header, [dict(zip(header, l.split("\t"))) for l in lines[1:]]

    def test_restore_puts_the_backed_up_memory_back_byte_for_byte(self):
        held = random_image(31)  # random bytes everywhere: stale slots, flags, names
        a = self.radio("--serial", "ZT45000031", image=held)
        self.ok("read", "--yes", "--port", a.device, self.path("a.dat"))
        self.ok("write", "--yes", "--port", a.device, self.pair_from_image(random_image(32), "other"))
        self.assertNotEqual(a.dumped(), held)

        header, entries = self.listed()
        for column in ("folder", "time", "kind", "serial", "model", "document", "verified"):
            self.assertIn(column, header)
        self.assertEqual([e["kind"] for e in entries], ["write", "before write", "read"])
        self.assertTrue(all(e["serial"] == "ZT45000031" and e["model"] == "ZT-450E" for e in entries), entries)
        self.assertTrue(all(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", e["time"]) for e in entries))
        self.assertEqual((entries[0]["document"], entries[0]["verified"]), ("other.dat", "not checked"))
        read = entries[2]["folder"]

        out = self.ok("restore", "--yes", "--verify", "--port", a.device, os.path.basename(read))
        self.assertIn("verified", out)
        self.assertEqual(a.dumped(), held)
        _, entries = self.listed()
        self.assertEqual([e["kind"] for e in entries[:2]], ["restore", "before write"])
        self.assertEqual((entries[0]["verified"], entries[0]["result"]), ("yes", "written"))

        # Another radio: refused without --other-radio, nothing written; with it, restored.
        b_held = random_image(33)
        b = self.radio("--serial", "ZT45000033", image=b_held)
        status, _, err = self.cli("restore", "--yes", "--port", b.device, read)
        self.assertEqual(status, 1, err)
        self.assertIn("ZT45000031", err)
        self.assertIn("ZT45000033", err)
        self.assertEqual(b.frames("RX", "write"), [])
        self.ok("restore", "--yes", "--other-radio", "--port", b.device, read)
        got = b.dumped()
        ident = range(IDENT_ADDR, IDENT_ADDR + 14)
        self.assertEqual(bytes(x for i, x in enumerate(got) if i not in ident),
                         bytes(x for i, x in enumerate(held) if i not in ident))
        _, entries = self.listed()
        self.assertEqual((entries[0]["kind"], entries[0]["serial"]), ("restore", "ZT45000033"))

        # Another model is refused before anything is written.
        c = self.radio(image=random_image(34, model=b"ZR9999", variant=1))
        status, _, err = self.cli("restore", "--yes", "--other-radio", "--port", c.device, read)
        self.assertEqual(status, 1, err)
        self.assertEqual(c.frames("RX", "write"), [])

    def test_a_failed_write_names_the_memory_kept_before_it(self):
        held = random_image(35)
        radio = self.radio("--serial", "ZT45000035", "--silent-after", INFO_FRAMES + READ_FRAMES + 300, image=held)
        status, _, err = self.cli("write", "--yes", "--retries", "0", "--port", radio.device,
                                  self.pair_from_image(random_image(36)))
        self.assertEqual(status, 1, err)
        _, entries = self.listed()
        self.assertEqual([e["kind"] for e in entries], ["write", "before write"])
        self.assertEqual((entries[0]["verified"], entries[0]["result"]), ("no", "failed"))
        before = entries[1]["folder"]
        self.assertIn(before, err)
        self.assertNotIn(entries[0]["folder"], err)
        with open(os.path.join(before, "image.bin"), "rb") as f:
            self.assertEqual(f.read(), held)

    def test_pruning_leaves_what_the_program_did_not_write(self):
        radio = self.radio("--serial", "ZT45000037", image=random_image(37))
        folder = self.path("keep")
        self.ok("read", "--yes", "--backup-dir", folder, "--port", radio.device, self.path("a.dat"))
        (desc, first), = self.backups(folder)
        # Fifty older backups of radios without a serial number, by copying the first.
        for i in range(50):
            copy = os.path.join(folder, "20200101-0000%02d-read" % i)
            shutil.copytree(first, copy)
            ini = configparser.ConfigParser()
            ini.optionxform = str
            ini.read(os.path.join(copy, "backup.ini"))
            ini["Backup"]["Stamp"] = str(1577836800 + i)
            ini["Backup"]["Serial"] = ""
            with open(os.path.join(copy, "backup.ini"), "w") as f:
                ini.write(f)
        oldest = os.path.join(folder, "20200101-000000-read")
        with open(os.path.join(oldest, "notes.txt"), "w") as f:
            f.write("mine")
        foreign = os.path.join(folder, "20190101-000000-read")
        shutil.copytree(oldest, foreign)
        os.remove(os.path.join(foreign, "manifest.txt"))
        self.ok("read", "--yes", "--backup-dir", folder, "--port", radio.device, self.path("b.dat"))
        self.assertEqual(os.listdir(oldest), ["notes.txt"])
        self.assertFalse(os.path.exists(os.path.join(folder, "20200101-000001-read")))
        self.assertIn("image.bin", os.listdir(foreign))
