# SPDX-License-Identifier: GPL-3.0-or-later
"""Channel lists that other tools read and write: every export loads in CHIRP's own CSV reader with
the document's values; a document as a radio read gives it exports and imports back into a new
document unchanged; files saved by spreadsheets (semicolons and decimal commas, UTF-16 with tabs)
and files with comment lines import; the last line says how many rows were imported and refused."""

import csv
import io
import unittest

import chirpcheck
import ztlayout
from clicase import CliCase
from test_csv import HEADER, OTHER


def units(mhz_text):
    """ "26.349" -> b"02634900": the stored form, in units of 10 Hz."""
    whole, _, frac = mhz_text.partition(".")
    return ("%03d%s" % (int(whole), (frac + "00000")[:5])).encode()


def radio_channels():
    """Channel records as a radio read leaves them: every group, the band plan's groups 0..6 included,
    frequencies off the step grids, a receive-only channel, both power levels in both modes, tones
    of every kind, a step class the grid would not give."""
    channels = {}

    def add(no, freq, **fields):
        ch = ztlayout.new_channel(no)
        ch["RxFreq"] = units(freq)
        ch.update(fields)
        channels[no] = ch

    for group in range(12):
        for n in (1, 2, 39):
            no = 40 * group + n
            add(no, "%.3f" % (26.965 + 0.01 * (no % 97)), Mode=no % 2, AmPower=int(no % 3 == 0),
                FmPower=int(no % 4 == 0), ScanSkip=int(no % 5 == 0))
    add(480, "26.349", Mode=1, FmPower=1, RxStepClass=2)            # off the 5 kHz grid
    add(3, "27.61125", TxOffsetDir=2, TxOffset=b"0010000")          # a .125 point outside group 6
    add(300, "29.600", TxOffsetDir=2, TxOffset=b"0010130", EncodeTone=5, DecodeTone=5)  # TX off the grid
    add(301, "29.620", TxInhibit=1, TxOffsetDir=1, TxOffset=b"0010000", Mode=1)  # receive only
    add(302, "28.300", EncodeTone=50 + 107 + 3, DecodeTone=20, Mode=1)   # TX DCS inverted, RX CTCSS
    add(303, "28.310", EncodeTone=51, DecodeTone=51 + 107, RogerBeep=3)  # DCS normal out, inverted in
    add(481, "27.860", Mode=1)
    return [channels[no] for no in sorted(channels)]


def tearDownModule():
    chirpcheck.print_figures()


class CsvInteropTest(CliCase):
    def radio_document(self, name):
        """A pair holding radio_channels() (settings of a new document)."""
        dat = self.path(name)
        self.ok("new", dat)
        dat_path, fre_path = ztlayout.pair_paths(dat)
        settings, _ = ztlayout.read_pair(self.get(name), self.get(name[:-3] + "fre"))
        channels = radio_channels()
        settings["ChannelCount"] = len(channels)
        with open(dat_path, "wb") as f:
            f.write(ztlayout.write_settings(settings))
        with open(fre_path, "wb") as f:
            f.write(b"".join(ztlayout.write_channel(c) for c in channels))
        return dat

    def channels_of(self, name):
        _, channels = ztlayout.read_pair(self.get(name), self.get(name[:-3] + "fre"))
        return {c["ChannelNo"]: c for c in channels}

    def test_chirp_reads_every_export_with_the_documents_values(self):
        exports = []
        for args in ([], ["--factory"]):
            dat = self.path("new%d.dat" % len(exports))
            self.ok("new", *args, dat)
            exports.append(dat)
        exports.append(self.radio_document("radio.dat"))
        # A document after another tool's rows came in (watts, tones, shifts).
        dat = self.path("other.dat")
        self.ok("new", dat)
        self.put("other.csv", OTHER)
        self.cli("import-csv", "--partial", "--from-channel", "8:1", self.path("other.csv"), dat)
        exports.append(dat)
        for dat in exports:
            with self.subTest(dat=dat):
                out = dat[:-4] + ".csv"
                self.ok("export-csv", dat, out)
                chirpcheck.check(self, out, dat, required=True)

    def test_radio_document_imports_back_into_a_new_document_unchanged(self):
        radio = self.radio_document("radio.dat")
        self.ok("export-csv", radio, self.path("radio.csv"))
        rows = list(csv.reader(io.StringIO(self.get("radio.csv").decode())))
        by_no = {r[0]: r for r in rows[1:]}
        self.assertEqual(by_no["480"][2], "26.349000")
        self.assertEqual(by_no["301"][3], "off")
        self.assertEqual({r[15] for r in rows[1:]}, {"4.0W", "25W"})

        fresh = self.path("fresh.dat")
        self.ok("new", fresh)
        status, _, err = self.cli("import-csv", "--file-numbers", self.path("radio.csv"), fresh)
        self.assertEqual(status, 0, err)
        count = len(radio_channels())
        self.assertEqual(err.strip().splitlines()[-1], "ztprog-cli: %d imported, 0 refused" % count)
        self.assertEqual(self.channels_of("fresh.dat"), self.channels_of("radio.dat"))
        self.ok("export-csv", fresh, self.path("again.csv"))
        self.assertEqual(self.get("again.csv"), self.get("radio.csv"))

    def test_last_line_gives_both_counts_and_the_first_reasons(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        self.put("other.csv", OTHER)
        before = (self.get("doc.dat"), self.get("doc.fre"))
        cases = [
            # (options, exit status, last line)
            ([], 1, "ztprog-cli: 0 imported, 2 refused; first refused: line 4, channel 2: mode not "
                    "available on this radio (AM and FM only) (USB); line 5, channel 3: frequency outside "
                    "the radio's band (50.125000); nothing was written (--partial takes the rows that can "
                    "be imported)"),
            (["--partial"], 0, "ztprog-cli: 3 imported, 2 refused; first refused: line 4, channel 2: mode "
                               "not available on this radio (AM and FM only) (USB); line 5, channel 3: "
                               "frequency outside the radio's band (50.125000)"),
        ]
        for options, status, last in cases:
            with self.subTest(options=options):
                got, _, err = self.cli("import-csv", *options, "--from-channel", "8:1", self.path("other.csv"),
                                       dat)
                self.assertEqual(got, status, err)
                self.assertEqual(err.strip().splitlines()[-1], last)
        self.assertNotEqual((self.get("doc.dat"), self.get("doc.fre")), before)

    def test_spreadsheet_files_and_comment_lines_import(self):
        semicolons = ("Location;Frequency;Duplex;Offset;Mode;Power\r\n"
                      "401;29,600;-;0,1;FM;4,5W\r\n"
                      "402;28,025;;;AM;25W\r\n")
        tabs = semicolons.replace(";", "\t")
        cases = [
            ("semicolons, decimal commas", semicolons.encode("cp1252"), "separated by semicolons"),
            ("UTF-16 with tabs", tabs.encode("utf-16"), "UTF-16 little-endian text, columns separated by tabs"),
            ("UTF-16 big-endian", b"\xfe\xff" + tabs.encode("utf-16-be"), "UTF-16 big-endian"),
            ("comment lines", ("# saved by CHIRP\r\n" + HEADER + "\r\n# repeaters\r\n" +
                               "\r\n".join(",".join(r) for r in [
                                   ["401", "", "29.600000", "-", "0.100000"] + [""] * 10 + ["4.0W"] + [""] * 5,
                                   ["402", "", "28.025000", "", "0.000000"] + [""] * 7 + ["AM", "", "",
                                                                                        "25W"] + [""] * 5])
                               + "\r\n").encode(), "2 comment lines"),
        ]
        for what, data, said in cases:
            with self.subTest(what=what):
                dat = self.path("doc.dat")
                self.ok("new", dat)
                self.put("in.csv", data)
                status, _, err = self.cli("import-csv", self.path("in.csv"), dat)
                self.assertEqual(status, 0, err)
                self.assertIn(said, err)
                channels = self.channels_of("doc.dat")
                self.assertEqual(channels[401]["RxFreq"], b"02960000")
                self.assertEqual((channels[401]["TxOffsetDir"], channels[401]["TxOffset"]), (1, b"0010000"))
                self.assertEqual(channels[402]["RxFreq"], b"02802500")
                self.assertEqual(channels[402]["AmPower"], 1)

    def test_one_reader_decides_quoting(self):
        dat = self.path("doc.dat")
        self.ok("new", dat)
        before = (self.get("doc.dat"), self.get("doc.fre"))
        # Text after a closing quote continues the field: the rows after it are read, none vanishes.
        self.put("in.csv", b'Location,Frequency,Name\r\n300,28.000000,"a" ""\r\n301,28.100000,b\r\n'
                           b'302,28.200000,c\r\n')
        status, _, err = self.cli("import-csv", self.path("in.csv"), dat)
        self.assertEqual(status, 0, err)
        self.assertTrue({300, 301, 302} <= set(self.channels_of("doc.dat")), err)
        # A quote that never closes refuses the file at its line, whatever follows it.
        self.put("doc.dat", before[0])
        self.put("doc.fre", before[1])
        for text in (b'Location,Frequency,Name\r\n300,28.0,ok\r\n301,28.1,"a ""b\r\n302,28.2,c\r\n',
                     b'Location,Frequency,Name\r\n300,28.0,ok\r\n301,28.1,"\r\n'):
            with self.subTest(text=text):
                self.put("in.csv", text)
                status, _, err = self.cli("import-csv", "--partial", self.path("in.csv"), dat)
                self.assertEqual(status, 1, err)
                self.assertIn("line 3", err)
                self.assertEqual((self.get("doc.dat"), self.get("doc.fre")), before)


if __name__ == "__main__":
    unittest.main()
