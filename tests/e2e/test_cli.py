# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli against the simulated radio through a real pseudo-terminal: reads deliver the radio's
exact memory, writes deliver the encoded document byte for byte, and every fault ends either in
that success or in a clean failure (non-zero status, one line saying why, output files untouched),
never in a hang."""

import os
import unittest

from clicase import CliCase
from simradio import IDENT_ADDR, IMAGE_SIZE, SimRadio, random_image

SENTINEL = b"previous good file\n"


class CliTestCase(CliCase):
    def radio(self, *args, image=None):
        if image is not None:
            args = ("--image", self.put("radio.img", image)) + args
        radio = SimRadio(*args)
        self.addCleanup(radio.close)
        return radio

    def pair_from_image(self, image, name="doc"):
        """A data file pair holding what `image` decodes to."""
        dat = self.path(name + ".dat")
        self.ok("decode", self.put(name + ".bin", image), dat)
        return dat

    def expected_write(self, dat, radio_image):
        """What a radio holds after a write of `dat`: the encoded document, except the
        identification bytes, which the radio's own identification replaces."""
        self.ok("encode", dat, self.path("expected.bin"))
        expected = bytearray(self.get("expected.bin"))
        for a in range(IDENT_ADDR, IDENT_ADDR + 14):
            if a != IDENT_ADDR + 6:
                expected[a] = radio_image[a]
        return bytes(expected)


class ReadWriteTest(CliTestCase):
    def test_read_delivers_the_exact_memory_with_and_without_echo(self):
        image = random_image(11)
        for echo in ([], ["--echo"]):
            with self.subTest(echo=echo):
                radio = self.radio(*echo, image=image)
                self.ok("image", "--yes", "--port", radio.device, self.path("read.bin"))
                self.assertEqual(self.get("read.bin"), image)
                # Reading into a data pair is the same as decoding that memory offline.
                self.ok("read", "--yes", "--port", radio.device, self.path("read.dat"))
                self.ok("decode", self.path("read.bin"), self.path("offline.dat"))
                for ext in ("dat", "fre"):
                    self.assertEqual(self.get("read." + ext), self.get("offline." + ext))
                radio.close()

    def test_write_delivers_the_encoded_document_byte_for_byte(self):
        dat = self.pair_from_image(random_image(12))
        radio_image = random_image(13)
        expected = self.expected_write(dat, radio_image)
        self.assertEqual(len(expected), IMAGE_SIZE)
        for echo in ([], ["--echo"]):
            with self.subTest(echo=echo):
                radio = self.radio(*echo, image=radio_image)
                self.ok("write", "--yes", "--port", radio.device, dat)
                self.assertEqual(radio.dumped(), expected)
                self.assertEqual(len(radio.frames("RX", "write")), 580)
                radio.close()

    def test_decode_encode_keeps_what_the_radio_holds(self):
        # A document read from a radio and written back leaves the radio's memory as it was in
        # every byte the program owns (what it does not store is written erased).
        dat = self.pair_from_image(random_image(14))
        self.ok("encode", dat, self.path("once.bin"))
        dat2 = self.pair_from_image(self.get("once.bin"), "again")
        self.ok("encode", dat2, self.path("twice.bin"))
        self.assertEqual(self.get("once.bin"), self.get("twice.bin"))


class FaultTest(CliTestCase):
    """Each case: simulated radio options, command, extra CLI options, and whether it must succeed."""

    CASES = [
        # Handshakes are tried four times with alternating echo guesses before the user is asked.
        (["--ignore-handshakes", "2"], "read", [], True),
        (["--echo", "--ignore-handshakes", "3"], "read", [], True),
        (["--ignore-handshakes", "99"], "read", ["--retries", "0"], False),
        # A block may be asked for again three times; a fourth loss restarts from the handshake.
        (["--drop", "read:0x0120:3"], "read", [], True),
        (["--drop", "read:0x0120:4"], "read", ["--retries", "1"], True),
        (["--drop", "read:0x0120:4"], "read", ["--retries", "0"], False),
        (["--corrupt", "read:0x2430:2", "--echo"], "read", [], True),
        (["--drop", "ident"], "read", ["--retries", "0"], False),
        (["--drop", "end"], "read", [], True),  # an unacknowledged end frame still counts
        (["--silent-after", "200"], "read", ["--retries", "1"], False),
        (["--echo", "--silent-after", "200"], "read", [], False),
        (["--vanish-after", "300"], "read", [], False),
        (["--password", "12"], "read", [], False),
        (["--password", "12"], "read", ["--password", "13"], False),
        (["--password", "12"], "read", ["--password", "12"], True),
        (["--nak", "write:0x0100:2"], "write", [], True),
        (["--drop", "write:0x1000:3", "--echo"], "write", [], True),
        (["--drop", "write:0x1000:4"], "write", ["--retries", "0"], False),
        (["--silent-after", "300"], "write", [], False),
        (["--vanish-after", "300"], "write", [], False),
    ]

    def test_every_fault_ends_in_exact_success_or_clean_failure(self):
        image = random_image(21)
        dat = self.pair_from_image(random_image(22))
        written = self.expected_write(dat, image)
        for sim_args, command, cli_args, succeeds in self.CASES:
            with self.subTest(sim=sim_args, command=command, cli=cli_args):
                radio = self.radio(*sim_args, image=image)
                out = {"read": self.path("out.dat"), "write": dat}[command]
                if command == "read":
                    self.put("out.dat", SENTINEL)
                    self.put("out.fre", SENTINEL)
                status, _, err = self.cli(command, "--yes", "--port", radio.device, *cli_args, out)
                if succeeds:
                    self.assertEqual(status, 0, err)
                    if command == "read":
                        self.ok("image", "--yes", "--port", radio.device, *cli_args, self.path("check.bin"))
                        self.assertEqual(self.get("check.bin"), image)
                        self.assertNotEqual(self.get("out.dat"), SENTINEL)
                    else:
                        self.assertEqual(radio.dumped(), written)
                else:
                    self.assertNotEqual(status, 0)
                    lines = err.strip().splitlines()
                    self.assertEqual(len(lines), 1, err)
                    self.assertTrue(lines[0].startswith("ztprog-cli: ") and len(lines[0]) > 15, err)
                    if command == "read":
                        self.assertEqual(self.get("out.dat"), SENTINEL)
                        self.assertEqual(self.get("out.fre"), SENTINEL)
                radio.close()


class InfoAndUsageTest(CliTestCase):
    def test_info_prints_the_information_area(self):
        info = bytearray(b"\xff" * 256)
        info[0x00:0x04] = b"0777"
        info[0x30:0x38] = b"SN123456"
        info[0x40:0x4A] = b"2024-02-29"
        info[0xF0:0xF5] = b"Alice"
        radio = self.radio("--info", self.put("info.bin", bytes(info)), "--password", "99")
        out = self.ok("info", "--port", radio.device)  # no question, no password for this
        values = [line.split(": ", 1)[1] if ": " in line else "" for line in out.splitlines()]
        for v in ("0777", "SN123456", "2024-02-29", "Alice"):
            self.assertIn(v, values)
        self.assertEqual(len(radio.frames("RX", "read")), 16)

    def test_verbose_tells_whether_the_port_is_in_low_latency_mode(self):
        radio = self.radio()
        status, _, err = self.cli("--verbose", "info", "--port", radio.device)
        self.assertEqual(status, 0, err)
        # A pseudo-terminal has no such mode: the exchange runs all the same.
        self.assertIn("low-latency mode off", err)

    def test_refusals_and_bad_input_fail_cleanly(self):
        radio = self.radio()
        self.put("out.dat", SENTINEL)
        cases = [
            (["read", "--port", radio.device, self.path("out.dat")], 1),  # no --yes: not confirmed
            (["read", "--yes", "--port", self.path("no-such-port"), self.path("out.dat")], 1),
            (["decode", self.put("short.bin", b"\x00" * 100), self.path("out.dat")], 1),
            (["encode", self.put("bad.dat", b"\x01" * 10), self.path("x.bin")], 1),
            (["read", self.path("out.dat")], 2),  # no port
            (["frobnicate"], 2),
            (["decode", self.path("only-one.bin")], 2),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                status, _, err = self.cli(*args)
                self.assertEqual(status, expected, err)
                self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertEqual(self.get("out.dat"), SENTINEL)
        self.assertFalse(os.path.exists(self.path("x.bin")))
        self.assertEqual(radio.frames("RX", "read"), [])


if __name__ == "__main__":
    unittest.main()
