# SPDX-License-Identifier: GPL-3.0-or-later
"""The data file pair from the command line: no command writes onto a file it reads, names of
the longest valid length save, a save killed at any moment leaves the old or the new pair (the
next command that opens it finishes or undoes the commit and leaves nothing behind), and two
programs saving one pair at once never mix it."""

import os
import random
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from simradio import CLI

TIME_LIMIT_S = 60
IMAGE_SIZE = 0x2440


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


@unittest.skipUnless(CLI, "ztprog-cli was not built")
class PairSafety(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="ztpair-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def cli(self, *args):
        try:
            return subprocess.run([CLI, "--quiet"] + list(args), capture_output=True, timeout=TIME_LIMIT_S,
                                  stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            self.fail("ztprog-cli did not end within %d s" % TIME_LIMIT_S)

    def pair(self, dat):
        fre = dat[:-3] + "fre"
        return (read(dat) if os.path.exists(dat) else None, read(fre) if os.path.exists(fre) else None)

    def two_images(self):
        """Two radio images that decode to two different pairs."""
        a, b = self.path("a.bin"), self.path("b.bin")
        write(a, b"\xff" * IMAGE_SIZE)
        self.assertEqual(self.cli("new", self.path("n.dat")).returncode, 0)
        self.assertEqual(self.cli("encode", self.path("n.dat"), b).returncode, 0)
        for name in ("n.dat", "n.fre"):
            os.remove(self.path(name))
        return a, b

    def test_no_command_writes_onto_a_file_it_reads(self):
        doc = self.path("A.dat")
        self.assertEqual(self.cli("new", doc).returncode, 0)
        image = self.path("img.bin")
        self.assertEqual(self.cli("encode", doc, image).returncode, 0)
        os.link(self.path("A.fre"), self.path("hard-link.csv"))
        before = self.pair(doc), read(image)
        cases = (
            ["export-csv", doc, self.path("A.fre")],
            ["export-csv", doc, doc],
            ["export-csv", doc, self.path("hard-link.csv")],
            ["export-csv", doc, self.path("sub", "..", "A.fre")],
            ["encode", doc, self.path("A.fre")],
            ["encode", doc, doc],
            ["import-csv", self.path("A.fre"), doc],
            ["decode", doc, doc],
            ["write", "--port", "/dev/null", "--repeat", "--log", self.path("A.fre"), doc],
        )
        os.makedirs(self.path("sub"))
        for args in cases:
            with self.subTest(args=args):
                p = self.cli(*args)
                self.assertEqual(p.returncode, 1, p.stderr)
                err = p.stderr.decode(errors="replace")
                self.assertEqual(len(err.strip().splitlines()), 1, err)
                self.assertIn("one of the files this command reads", err)
                self.assertEqual((self.pair(doc), read(image)), before)

    def test_names_of_255_bytes_save_open_and_export(self):
        for name in ("a" * 251 + ".dat", "\u00e9" * 125 + "b.dat"):
            with self.subTest(length=len(name.encode())):
                self.assertEqual(len(name.encode()), 255)
                dat = self.path(name)
                for args in (["new", dat], ["new", dat], ["export-csv", dat, self.path("out.csv")]):
                    p = self.cli(*args)
                    self.assertEqual(p.returncode, 0, p.stderr)
                self.assertEqual(sorted(os.listdir(self.dir)), sorted([name, name[:-3] + "fre", "out.csv"]))
                for n in os.listdir(self.dir):
                    os.remove(self.path(n))

    def test_a_save_killed_at_any_moment_leaves_the_old_or_the_new_pair(self):
        a, b = self.two_images()
        doc = self.path("doc.dat")
        self.assertEqual(self.cli("decode", b, doc).returncode, 0)
        new = self.pair(doc)
        self.assertEqual(self.cli("decode", a, doc).returncode, 0)
        old = self.pair(doc)
        self.assertNotEqual(old, new)
        start = time.monotonic()
        self.assertEqual(self.cli("decode", b, self.path("t.dat")).returncode, 0)
        whole_run = time.monotonic() - start
        for name in ("t.dat", "t.fre"):
            os.remove(self.path(name))
        rng = random.Random(31)
        seen = set()
        for run in range(40):
            self.assertEqual(self.cli("decode", a, doc).returncode, 0)
            proc = subprocess.Popen([CLI, "--quiet", "decode", b, doc], stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.3, 1.1) * whole_run)
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            p = self.cli("encode", doc, self.path("check.bin"))  # opens the pair
            self.assertEqual(p.returncode, 0, p.stderr)
            now = self.pair(doc)
            self.assertIn(now, (old, new), "run %d: a mixed or damaged pair" % run)
            seen.add("new" if now == new else "old")
            self.assertEqual(sorted(os.listdir(self.dir)),
                             ["a.bin", "b.bin", "check.bin", "doc.dat", "doc.fre"], "run %d" % run)
        self.assertEqual(seen, {"old", "new"})

    def test_two_programs_saving_one_pair_never_mix_it(self):
        a, b = self.two_images()
        doc = self.path("doc.dat")
        pairs = []
        for image in (a, b):
            self.assertEqual(self.cli("decode", image, doc).returncode, 0)
            pairs.append(self.pair(doc))
        for run in range(15):
            procs = [subprocess.Popen([CLI, "--quiet", "decode", image, doc], stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.PIPE) for image in (a, b)]
            for proc in procs:
                _, err = proc.communicate(timeout=TIME_LIMIT_S)
                self.assertEqual(proc.returncode, 0, err)
            self.assertIn(self.pair(doc), pairs, "run %d: a mixed pair" % run)
            self.assertEqual(sorted(os.listdir(self.dir)), ["a.bin", "b.bin", "doc.dat", "doc.fre"])


if __name__ == "__main__":
    unittest.main()
