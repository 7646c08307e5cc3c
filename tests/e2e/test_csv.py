# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli export-csv / import-csv: the export follows the CSV rules (read here with Python's own
csv module), imports back into the same pair without changing a byte, and an import with any bad row
reports every one of them and writes nothing; exports of other tools land in free channels, in file
order from where the user says (or from the first free channel), with --partial taking the good rows.
Every export is also loaded with CHIRP's CSV reader where it is at hand (chirpcheck)."""

import csv
import io
import unittest

import chirpcheck
from clicase import CliCase

COLUMNS = ("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
           "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE").split(",")


class CsvCommandsTest(CliCase):
    def rows(self, name):
        with open(self.path(name), newline="", encoding="utf-8") as f:
            return list(csv.reader(f))

    def test_export_reads_as_csv_and_imports_back_byte_for_byte(self):
        for factory in ([], ["--factory"]):
            with self.subTest(factory=factory):
                dat = self.path("doc.dat")
                self.ok("new", *factory, dat)
                before = (self.get("doc.dat"), self.get("doc.fre"))
                self.ok("export-csv", dat, self.path("doc.csv"))
                chirpcheck.check(self, self.path("doc.csv"), dat)
                self.assertIn(b"\r\n", self.get("doc.csv"))
                rows = self.rows("doc.csv")
                self.assertEqual(rows[0], COLUMNS)
                self.assertTrue(all(len(r) == len(COLUMNS) for r in rows))
                self.assertIn("481", [r[0] for r in rows[1:]])
                for r in rows[1:]:
                    self.assertRegex(r[2], r"^\d+\.\d{6}$")
                    self.assertIn(r[12], ("AM", "FM"))
                self.ok("import-csv", self.path("doc.csv"), dat)
                self.assertEqual((self.get("doc.dat"), self.get("doc.fre")), before)

    def test_bad_rows_are_each_reported_and_nothing_is_written(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        before = (self.get("doc.dat"), self.get("doc.fre"))
        out = io.StringIO()
        w = csv.writer(out, lineterminator="\r\n")
        w.writerow(["Location", "Name", "Frequency", "Duplex", "Offset", "Mode", "Extra"])
        w.writerow(["401", 'Net, "one"', "28.400000", "", "0.000000", "FM", "x"])
        w.writerow(["402", "far", "145.500000", "", "0.000000", "FM", ""])
        w.writerow(["401", "again", "28.500000", "", "0.000000", "FM", ""])
        w.writerow(["403", "ssb", "28.500000", "", "0.000000", "USB", ""])
        self.put("in.csv", out.getvalue().encode())
        status, _, err = self.cli("import-csv", self.path("in.csv"), dat)
        self.assertEqual(status, 1)
        lines = err.strip().splitlines()
        self.assertEqual([l.split(":")[1] for l in lines[:-1]], ["3", "4", "5"], err)
        self.assertIn("band", lines[0])
        self.assertTrue(lines[-1].startswith("ztprog-cli: 0 imported, 3 refused; first refused: line 3"), err)
        self.assertEqual((self.get("doc.dat"), self.get("doc.fre")), before)

        # Without the bad rows the good one arrives, with the quoted name's commas and quotes read
        # as one field.
        self.put("good.csv", "\r\n".join(out.getvalue().splitlines()[:2]).encode("utf-8-sig"))
        self.ok("import-csv", self.path("good.csv"), dat)
        self.ok("export-csv", dat, self.path("again.csv"))
        chirpcheck.check(self, self.path("again.csv"), dat)
        rows = {r[0]: r for r in self.rows("again.csv")[1:]}
        self.assertEqual(rows["401"][2], "28.400000")
        self.assertEqual(rows["401"][12], "FM")


HEADER = ",".join(COLUMNS)


def other_tool_export(rows):
    """Rows in the shape other tools write: numbered from 0, every tone column filled, watts."""
    lines = [HEADER]
    for i, (name, freq, duplex, offset, tone, rtone, ctone, mode, power) in enumerate(rows):
        lines.append(f"{i},{name},{freq},{duplex},{offset},{tone},{rtone},{ctone},023,NN,023,Tone->Tone,"
                     f"{mode},5.00,,{power},,,,,")
    return ("\r\n".join(lines) + "\r\n").encode()


OTHER = other_tool_export([
    ("CALL", "28.400000", "", "0.000000", "", "88.5", "88.5", "FM", "5.0W"),
    ("RPT", "29.620000", "-", "0.100000", "Tone", "100.0", "88.5", "FM", "50W"),
    ("SSB", "28.500000", "", "0.000000", "", "88.5", "88.5", "USB", "50W"),
    ("SIX", "50.125000", "", "0.000000", "", "88.5", "88.5", "FM", "50W"),
    ("TSQ", "29.600000", "+", "0.100000", "TSQL", "88.5", "123.0", "FM", "10W"),
])


class CsvPlacementTest(CliCase):
    def channels(self, name):
        """Channel number -> exported row, through export-csv."""
        dat = self.path(name)
        self.ok("export-csv", dat, self.path("out.csv"))
        chirpcheck.check(self, self.path("out.csv"), dat)
        return {int(r[0]): r for r in list(csv.reader(io.StringIO(self.get("out.csv").decode())))[1:]}

    def test_other_tools_export_lands_in_free_channels(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        self.put("other.csv", OTHER)
        before = self.channels("doc.dat")

        # All or nothing: two rows are refused for their content, so nothing is written.
        status, _, err = self.cli("import-csv", "--from-channel", "8:1", self.path("other.csv"), dat)
        self.assertEqual(status, 1, err)
        self.assertIn("other.csv:4: Channel 2: mode not available", err)
        self.assertIn("other.csv:5: Channel 3: frequency outside", err)
        self.assertEqual(self.channels("doc.dat"), before)

        # --partial takes the good rows from group 8 CH 1 on, in file order.
        status, _, err = self.cli("import-csv", "--partial", "--from-channel", "8:1", self.path("other.csv"), dat)
        self.assertEqual(status, 0, err)
        after = self.channels("doc.dat")
        self.assertEqual(sorted(set(after) - set(before)), [321, 322, 323])
        self.assertEqual(after[321][2:5], ["28.400000", "", "0.000000"])
        self.assertEqual(after[321][15], "4.0W")         # 5 W: under 10 W, Low
        self.assertEqual(after[322][2:7], ["29.620000", "-", "0.100000", "Tone", "100.0"])
        self.assertEqual(after[322][15], "25W")          # 50 W: High
        self.assertEqual(after[323][5:8], ["TSQL", "123.0", "123.0"])
        self.assertEqual(after[323][3], "+")
        for no in before:
            self.assertEqual(after[no], before[no])

        # Without a placement the file's numbers (from 0, on the band plan) do not fit: file order
        # from the first free channel, said in one line; channels 321..323 are now in use.
        status, _, err = self.cli("import-csv", "--partial", self.path("other.csv"), dat)
        self.assertEqual(status, 0, err)
        self.assertIn("file order", err)
        again = self.channels("doc.dat")
        first = min(set(again) - set(after))
        self.assertEqual(len(set(again) - set(after)), 3)
        self.assertGreater(first, 280)

        # --replace from 8:1 puts the rows back over 321..323; the same values come back.
        status, _, err = self.cli("import-csv", "--partial", "--from-channel", "321", "--replace",
                                  self.path("other.csv"), dat)
        self.assertEqual(status, 0, err)
        self.assertEqual({k: v for k, v in self.channels("doc.dat").items() if k in (321, 322, 323)},
                         {k: after[k] for k in (321, 322, 323)})

    def test_bad_files_and_usage(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        before = (self.get("doc.dat"), self.get("doc.fre"))
        cases = [
            # (file text, exit status, text expected on stderr)
            (b'Location,Frequency,Name\n401,28.000000,"oops\n402,28.1,a\n403,28.2,b\n', 1, "line 2"),
            (b"", 1, "could not be read"),
            (HEADER.encode() + b"\r\n", 1, "No row"),
            (b"Location,Frequency\n401,99999999999999999999\n", 1, "(99999999999999999999)"),
            (b"Location,Frequency\n401,\x1b[2J28\n", 1, "\\e[2J28"),
        ]
        for text, status, expected in cases:
            with self.subTest(text=text[:40]):
                self.put("in.csv", text)
                got, _, err = self.cli("import-csv", self.path("in.csv"), dat)
                self.assertEqual(got, status, err)
                self.assertIn(expected, err)
                self.assertNotIn("\x1b", err)
                self.assertEqual((self.get("doc.dat"), self.get("doc.fre")), before)
        # Rows beyond the free channels are refused as such.
        self.put("in.csv", other_tool_export([("X", "28.000000", "", "0", "", "88.5", "88.5", "FM", "")] * 3))
        status, _, err = self.cli("import-csv", "--partial", "--from-channel", "11:39", self.path("in.csv"), dat)
        self.assertEqual(status, 0, err)
        self.assertIn("in.csv:4: Channel 2: no free channel left", err)
        for args in (["--from-channel", "13:1"], ["--from-channel", "0"], ["--replace"],
                     ["--from-channel", "1", "--file-numbers"]):
            with self.subTest(args=args):
                status, _, err = self.cli("import-csv", *args, self.path("in.csv"), dat)
                self.assertEqual(status, 2, err)
        status, _, err = self.cli("export-csv", "--partial", dat, self.path("x.csv"))
        self.assertEqual(status, 2, err)

    def test_huge_file_lists_a_few_hundred_refused_rows(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        self.put("big.csv", b"Location,Frequency\n" + b"x\n" * 200000)
        status, _, err = self.cli("import-csv", self.path("big.csv"), dat)
        self.assertEqual(status, 1)
        lines = err.strip().splitlines()
        self.assertLess(len(lines), 400)
        self.assertIn("not listed: " + str(200000 - 300), err)


def tearDownModule():
    chirpcheck.print_figures()


if __name__ == "__main__":
    unittest.main()
