"""ztprog-cli export-csv / import-csv: the export follows the CSV rules (read here with Python's own
csv module), imports back into the same pair without changing a byte, and an import with any bad row
reports every one of them and writes nothing."""

import csv
import io
import unittest

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
        self.assertEqual([l.split(":")[1] for l in lines], ["3", "4", "5"], err)
        self.assertIn("band", lines[0])
        self.assertEqual((self.get("doc.dat"), self.get("doc.fre")), before)

        # Without the bad rows the good one arrives, with the quoted name's commas and quotes read
        # as one field.
        self.put("good.csv", "\r\n".join(out.getvalue().splitlines()[:2]).encode("utf-8-sig"))
        self.ok("import-csv", self.path("good.csv"), dat)
        self.ok("export-csv", dat, self.path("again.csv"))
        rows = {r[0]: r for r in self.rows("again.csv")[1:]}
        self.assertEqual(rows["401"][2], "28.400000")
        self.assertEqual(rows["401"][12], "FM")


if __name__ == "__main__":
    unittest.main()
