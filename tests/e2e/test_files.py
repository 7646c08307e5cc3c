# SPDX-License-Identifier: GPL-3.0-or-later
"""The stored data files, checked field by field against an independent reading of their layouts
(ztlayout.py): the factory templates in the program folder, and new documents saved by
`ztprog-cli new`, with the full templates, with only the factory settings file, and with none."""

import errno
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import ztlayout as L
from simradio import CLI

TIME_LIMIT_S = 60
TEMPLATES = ("ZT-450E_0_NEW", "ZT-450E_0")


def program_dir():
    return os.path.dirname(CLI)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def with_i16(data, offset, value):
    b = bytearray(data)
    struct.pack_into("<h", b, offset, value)
    return bytes(b)


def settings_offset(path):
    return next(off for off, p, _ in L.SETTINGS_FIELDS if p == path)


TOT_TIME = settings_offset("Features.TotTime")
CHANNEL_COUNT = settings_offset("ChannelCount")
MODEL_NAME = settings_offset("ModelInfo.ModelName")


@unittest.skipUnless(CLI, "ztprog-cli was not built")
class StoredFilesTestCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="ztfiles-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def assertFields(self, actual, expected, what):
        diff = L.differences(actual, expected)
        self.assertFalse(diff, "%s differs in %d field(s):\n%s" % (
            what, len(diff), "\n".join("  %s: stored %r, expected %r" % d for d in diff)))

    def assertNewDocument(self, dat_path, exact_size=True, settings=None):
        """The pair at dat_path holds a new document: the settings `settings` (default: the
        new-document values) and the channels 1 and 481 as a new document appends them."""
        dat, fre = (read(p) for p in L.pair_paths(dat_path))
        got, channels = L.read_pair(dat, fre)
        name = os.path.basename(dat_path)
        self.assertFields(got, settings or L.new_settings(), name)
        self.assertEqual([c["ChannelNo"] for c in channels], list(L.NEW_CHANNELS), name)
        for ch, number in zip(channels, L.NEW_CHANNELS):
            self.assertFields(ch, L.new_channel(number), "%s channel %d" % (name, number))
        if exact_size:
            self.assertEqual(len(fre), len(L.NEW_CHANNELS) * L.CHANNEL_SIZE, name)
        return got

    def new(self, *args, cli=CLI):
        """`ztprog-cli new` into self.dir/new.dat; returns the settings path."""
        dat = self.path("new.dat")
        try:
            p = subprocess.run([cli, "--quiet", "new"] + list(args) + [dat], capture_output=True, text=True,
                               timeout=TIME_LIMIT_S, stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            self.fail("ztprog-cli new did not end within %d s" % TIME_LIMIT_S)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertEqual(p.stderr, "")
        return dat

    def program_copy(self, templates):
        """A program folder of its own with the given {file name: bytes} in Init/; returns the
        command-line program in it."""
        prog = self.path("prog", "V300")
        os.makedirs(os.path.join(prog, "Init"))
        os.makedirs(os.path.join(prog, "language"))
        shutil.copy2(CLI, prog)
        shutil.copy2(os.path.join(program_dir(), "language", "english.ini"), os.path.join(prog, "language"))
        for name, data in templates.items():
            write(os.path.join(prog, "Init", name), data)
        return os.path.join(prog, os.path.basename(CLI))

    def shipped(self, name):
        return read(os.path.join(program_dir(), "Init", name))


class ShippedTemplates(StoredFilesTestCase):
    def test_templates_hold_the_new_document_values(self):
        for name in TEMPLATES:
            with self.subTest(template=name):
                dat = os.path.join(program_dir(), "Init", name + ".dat")
                self.assertEqual(len(read(dat)), L.SETTINGS_SIZE)
                self.assertNewDocument(dat, exact_size=False)


class NewDocumentSaved(StoredFilesTestCase):
    def test_new_document_with_the_shipped_templates(self):
        self.assertNewDocument(self.new())

    def test_new_document_without_templates_has_the_built_in_values(self):
        self.assertNewDocument(self.new(cli=self.program_copy({})))

    def test_the_template_is_loaded_over_the_built_in_values(self):
        # Templates that differ from the built-in values in one setting each: the normal new
        # document takes the _NEW one, --factory (the Initialise command) the factory one.
        cli = self.program_copy({
            "ZT-450E_0_NEW.dat": with_i16(self.shipped("ZT-450E_0_NEW.dat"), TOT_TIME, 5),
            "ZT-450E_0_NEW.fre": self.shipped("ZT-450E_0_NEW.fre"),
            "ZT-450E_0.dat": with_i16(self.shipped("ZT-450E_0.dat"), TOT_TIME, 8),
            "ZT-450E_0.fre": self.shipped("ZT-450E_0.fre"),
        })
        for args, tot in (((), 5), (("--factory",), 8)):
            with self.subTest(args=args):
                expected = L.new_settings()
                expected["Features.TotTime"] = tot
                self.assertNewDocument(self.new(*args, cli=cli), settings=expected)

    def test_factory_settings_alone_keep_the_new_channels_and_the_current_model(self):
        # Only the factory settings file: its settings are taken, but not its channel count (its
        # channel file is not read) nor its model, so the document keeps channels 1 and 481.
        dat = self.shipped("ZT-450E_0.dat")
        dat = with_i16(dat, TOT_TIME, 8)
        dat = with_i16(dat, CHANNEL_COUNT, 7)
        dat = dat[:MODEL_NAME] + b"ZT-999X" + dat[MODEL_NAME + 7:]
        cli = self.program_copy({"ZT-450E_0.dat": dat})
        expected = L.new_settings()
        expected["Features.TotTime"] = 8
        self.assertNewDocument(self.new(cli=cli), settings=expected)


def distinct_values(fields, seed):
    """A value of its own for every field: numbers counting up from `seed` (every other one
    negative for 16-bit fields), texts of letters and digits with one byte above 127."""
    values = {}
    for i, (_, path, kind) in enumerate(fields):
        n = seed + i
        if isinstance(kind, tuple):
            body = bytes(b"ABCDEFGHJKLMNPQRSTUVWXYZ23456789"[(n + k) % 32] for k in range(kind[1]))
            values[path] = body[:-1] + bytes([0x80 + n % 100])
        elif kind == L.U8:
            values[path] = (n * 7) % 256
        else:
            values[path] = n if i % 2 else -n
    return values


class EveryFieldPassesThrough(StoredFilesTestCase):
    def test_a_pair_with_a_value_of_its_own_in_every_field_loads_and_saves_unchanged(self):
        # The _NEW template is loaded into a new document and saved again: a field read from or
        # written to a wrong offset, a swapped pair or a narrowed number shows as a difference.
        settings = distinct_values(L.SETTINGS_FIELDS, 1000)
        settings["Version"] = b"V300"
        settings["ModelInfo.ModelName"] = b"ZT-450E"
        settings["ModelInfo.BandCode"] = 0
        numbers = (45, 481, 7)
        settings["ChannelCount"] = len(numbers)
        channels = []
        for k, number in enumerate(numbers):
            ch = distinct_values(L.CHANNEL_FIELDS, 100 * k + 3)
            ch["ChannelNo"] = number
            channels.append(ch)
        fre = b"".join(L.write_channel(c) for c in channels)
        cli = self.program_copy({"ZT-450E_0_NEW.dat": L.write_settings(settings), "ZT-450E_0_NEW.fre": fre})

        saved_dat, saved_fre = (read(p) for p in L.pair_paths(self.new(cli=cli)))
        self.assertEqual(len(saved_fre), len(fre))
        got, got_channels = L.read_pair(saved_dat, saved_fre)
        self.assertFields(got, settings, "settings")
        for ch, expected in zip(got_channels, channels):
            self.assertFields(ch, expected, "channel %d" % expected["ChannelNo"])


class SavingRefuses(StoredFilesTestCase):
    def run_cli(self, *args):
        try:
            return subprocess.run([CLI, "--quiet"] + list(args), capture_output=True, text=True,
                                  errors="replace", timeout=TIME_LIMIT_S, stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            self.fail("ztprog-cli did not end within %d s" % TIME_LIMIT_S)

    def test_names_without_dat_are_refused_before_anything_is_written(self):
        image = self.path("radio.bin")
        write(image, b"\xff" * 0x2440)
        for args in (["new", self.path("ab")], ["decode", image, self.path("cd")],
                     ["new", self.path("x.fre")], ["new", self.path("radio.dat.bak")]):
            with self.subTest(args=args):
                p = self.run_cli(*args)
                self.assertEqual(p.returncode, 2, p.stderr)
                self.assertEqual(len(p.stderr.strip().splitlines()), 1, p.stderr)
                self.assertIn(".dat", p.stderr)
        self.assertEqual(sorted(os.listdir(self.dir)), ["radio.bin"])
        # Any case of ".dat" pairs as before.
        p = self.run_cli("new", self.path("UPPER.DAT"))
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertTrue(os.path.isfile(self.path("UPPER.fre")))

    def test_a_folder_in_the_place_of_the_channel_file_stays(self):
        os.makedirs(self.path("x.fre", "inside"))
        write(self.path("x.fre", "inside", "keep.txt"), b"precious")
        p = self.run_cli("new", self.path("x.dat"))
        self.assertEqual(p.returncode, 1, p.stderr)
        self.assertIn(self.path("x.fre") + ": " + os.strerror(errno.EISDIR), p.stderr)
        self.assertEqual(read(self.path("x.fre", "inside", "keep.txt")), b"precious")
        self.assertFalse(os.path.exists(self.path("x.dat")))

    def test_file_names_are_printed_with_control_characters_escaped(self):
        p = self.run_cli("write", "--port", "/dev/null", self.path("fake\x1b[2J\rdone.dat"))
        self.assertEqual(p.returncode, 1, p.stderr)
        self.assertNotIn("\x1b", p.stderr)
        self.assertNotIn("\r", p.stderr)
        self.assertIn("fake\\e[2J\\rdone.dat", p.stderr)

    def test_csv_values_are_printed_with_control_characters_escaped(self):
        self.assertEqual(self.run_cli("new", self.path("x.dat")).returncode, 0)
        csv = self.path("in.csv")
        write(csv, b"Location,Frequency\r\n401,\"28.0\x1b[32mimport done\r\n\"\r\n")
        p = self.run_cli("import-csv", csv, self.path("x.dat"))
        self.assertEqual(p.returncode, 1, p.stderr)
        self.assertNotIn("\x1b", p.stderr)
        self.assertIn("\\e[32m", p.stderr)


if __name__ == "__main__":
    unittest.main()
