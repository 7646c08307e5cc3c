# SPDX-License-Identifier: GPL-3.0-or-later
"""The faults of the line and the radio, with and without an echoing cable, for reading, writing and
the information read: each ends in the exact result or in a clean failure, never in a hang. The
cells that test_cli.py already holds are not repeated here; together the two cover every fault kind
(clean, silent handshakes, dropped replies, bad checksums, repeat requests, a radio that is gone) in
both echo settings for all three exchanges."""

import random
import unittest

import test_cli
from simradio import CLI, random_image

# Fields of the information area in the order ztprog-cli prints them, with their byte ranges;
# None marks the rows that do not come from the radio (model, band, version).
INFO_ROWS = [(0x00, 4), (0x10, 8), (0x20, 4), None, None, (0x30, 16), (0x40, 16), (0x50, 16), None,
             (0x60, 96), (0xC0, 16), (0xD0, 16), (0xE0, 16), (0xF0, 16)]


def rich_info(seed):
    """An information area with full-width texts, early stops, blanks and bytes above 127."""
    rnd = random.Random(seed)
    area = bytearray(rnd.getrandbits(8) for _ in range(256))
    chars = b"ABCXYZ0123456789-/ .\xc4\xe9"
    for k, row in enumerate(r for r in INFO_ROWS if r):
        off, width = row
        text = bytearray(rnd.choice(chars) for _ in range(width))
        shape = k % 5
        if shape == 1:
            text[rnd.randrange(width)] = rnd.choice((0x00, 0xFF))
        elif shape == 2:
            text[width // 2:] = b" " * (width - width // 2)
        elif shape == 3:
            text[:] = b"\xff" * width
        elif shape == 4:
            text[0] = ord(" ")
        area[off:off + width] = text
    return bytes(area)


def info_values(area):
    """What the information read shows for each row that comes from the radio."""
    out = []
    for row in INFO_ROWS:
        if row is None:
            out.append(None)
            continue
        off, width = row
        text = bytearray()
        for b in area[off:off + width]:
            if b in (0x00, 0xFF):
                break
            text.append(b)
        out.append(bytes(text).rstrip(b" "))
    return out


@unittest.skipUnless(CLI, "ztprog-cli was not built")
class FaultMatrixTest(test_cli.CliTestCase):
    # (simulated radio options, ztprog-cli options, succeeds)
    READ = [
        (["--echo", "--drop", "read:0x0800:2"], [], True),
        (["--corrupt", "read:0x1E10:3"], [], True),
        (["--nak", "read:0x0500:2"], [], True),
        (["--echo", "--nak", "read:0x2400"], [], True),
        (["--nak", "ident"], [], True),
        (["--echo", "--vanish-after", "300"], [], False),
    ]
    WRITE = [
        (["--ignore-handshakes", "2"], [], True),
        (["--echo", "--ignore-handshakes", "3"], [], True),
        (["--drop", "write:0x0000:2"], [], True),
        (["--corrupt", "read:0x3F20"], [], True),
        (["--echo", "--corrupt", "read:0x3F20"], [], True),
        (["--echo", "--nak", "write:0x2430:3"], [], True),
        (["--nak", "end"], [], True),
        (["--echo", "--silent-after", "100"], [], False),
        (["--echo", "--vanish-after", "200"], [], False),
    ]
    INFO = [
        ([], [], True),
        (["--echo"], [], True),
        (["--ignore-handshakes", "3"], [], True),
        (["--echo", "--ignore-handshakes", "2"], [], True),
        (["--drop", "read:0x3F60"], [], True),
        (["--echo", "--drop", "read:0x3FF0"], [], True),
        (["--drop", "read:0x3F00:2"], ["--retries", "1"], False),
        (["--corrupt", "read:0x3F30"], [], True),
        (["--echo", "--corrupt", "read:0x3FC0"], [], True),
        (["--nak", "read:0x3F80"], [], True),
        (["--echo", "--nak", "ident"], [], True),
        (["--ignore-handshakes", "99"], ["--retries", "0"], False),
        (["--vanish-after", "8"], [], False),
        (["--echo", "--silent-after", "5"], [], False),
    ]

    def assertCleanFailure(self, status, err):
        self.assertNotEqual(status, 0)
        lines = err.strip().splitlines()
        self.assertEqual(len(lines), 1, err)
        self.assertTrue(lines[0].startswith("ztprog-cli: ") and len(lines[0]) > 15, err)

    def test_read_and_write(self):
        image = random_image(31)
        dat = self.pair_from_image(random_image(32))
        written = self.expected_write(dat, image)
        for command, cases in (("read", self.READ), ("write", self.WRITE)):
            for sim_args, cli_args, succeeds in cases:
                with self.subTest(command=command, sim=sim_args, cli=cli_args):
                    radio = self.radio(*sim_args, image=image)
                    target = self.path("out.bin") if command == "read" else dat
                    self.put("out.bin", test_cli.SENTINEL)
                    status, _, err = self.cli("image" if command == "read" else "write", "--yes", "--port",
                                              radio.device, *cli_args, target)
                    if not succeeds:
                        self.assertCleanFailure(status, err)
                        self.assertEqual(self.get("out.bin"), test_cli.SENTINEL)
                    elif command == "read":
                        self.assertEqual(status, 0, err)
                        self.assertEqual(self.get("out.bin"), image)
                    else:
                        self.assertEqual(status, 0, err)
                        self.assertEqual(radio.dumped(), written)
                    radio.close()

    def test_info(self):
        area = rich_info(41)
        info = self.put("info.bin", area)
        expected = info_values(area)
        for sim_args, cli_args, succeeds in self.INFO:
            with self.subTest(sim=sim_args, cli=cli_args):
                radio = self.radio("--info", info, *sim_args)
                status, out, err = self.cli("info", "--port", radio.device, *cli_args, text=False)
                if not succeeds:
                    self.assertCleanFailure(status, err.decode("latin-1"))
                    continue
                self.assertEqual(status, 0, err)
                rows = [line.split(b": ", 1)[1] if b": " in line else b"" for line in out.splitlines()]
                self.assertEqual(len(rows), len(INFO_ROWS), out)
                self.assertEqual([r for r, e in zip(rows, expected) if e is not None],
                                 [e for e in expected if e is not None])
                self.assertEqual(rows[3:5], [b"ZT-450E", b"25.615 - 30.105 MHz"])
                self.assertEqual(rows[8], b"V3.00")
                radio.close()


if __name__ == "__main__":
    unittest.main()
