# SPDX-License-Identifier: GPL-3.0-or-later
"""Writing one document to radio after radio from the command line (write --repeat --log): simulated
radios put one after another on the same port path, as a dealer swaps radios on the cable; each
radio's memory and each line of the log are checked."""

import csv
import os
import signal
import subprocess
import sys
import time

from clicase import TIME_LIMIT_S
from simradio import CLI, IDENT_ADDR, SIM, random_image
from test_cli import CliTestCase

HEADER = ["Time", "Serial number", "Model", "Firmware", "Sales area", "Customer code", "Document", "Result",
          "Reason", "Backup"]


class BatchTest(CliTestCase):
    def setUp(self):
        super().setUp()
        self.port = self.path("port")  # the one path every radio appears on
        self.dat = self.pair_from_image(random_image(40), "order")
        self.log = self.path("batch.csv")
        self.n = 0

    def plug(self, serial, *args, image=None):
        """Puts a simulated radio on the port path; returns (process, dump file, frame log, its memory)."""
        self.n += 1
        image = image if image is not None else random_image(100 + self.n)
        img = self.put("radio%d.img" % self.n, image)
        dump = self.path("dump%d.bin" % self.n)
        frames = self.path("frames%d.log" % self.n)
        proc = subprocess.Popen([sys.executable, SIM, "--link", self.port, "--image", img, "--dump", dump,
                                 "--log", frames, "--serial", serial, "--sales-area", "0777",
                                 "--customer-code", "C%02d" % self.n] + list(args),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(self.unplug, proc)
        self.assertEqual(proc.stdout.readline().strip(), self.port)
        return proc, dump, frames, image

    @staticmethod
    def unplug(proc):
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        proc.stdout.close()
        proc.stderr.close()

    @staticmethod
    def text(path):
        with open(path) as f:
            return f.read()

    def start_batch(self, *extra):
        proc = subprocess.Popen([CLI, "--quiet", "--yes", "--backup-dir", self.path("backups"), "--port", self.port,
                                 "write", self.dat, "--repeat", "--log", self.log] + list(extra),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                                text=True, env=self.env())
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def rows(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, newline="") as f:
            return list(csv.reader(f))

    def wait_rows(self, count, proc):
        end = time.monotonic() + TIME_LIMIT_S
        while time.monotonic() < end:
            if len(self.rows()) >= count + 1:
                return self.rows()
            if proc.poll() is not None:
                self.fail("the batch ended early: %s" % proc.stderr.read())
            time.sleep(0.05)
        self.fail("no log line for radio %d within %d s" % (count, TIME_LIMIT_S))

    def finish(self, proc):
        proc.send_signal(signal.SIGINT)
        try:
            out, err = proc.communicate(timeout=TIME_LIMIT_S)
        except subprocess.TimeoutExpired:
            proc.kill()
            self.fail("the batch did not end after SIGINT")
        return proc.returncode, out, err

    def test_radio_after_radio_each_gets_the_document_and_a_line(self):
        batch = self.start_batch("--verify", "--password", "12")
        cases = [
            # serial, radio options, result, what the reason says
            ("ZT45000101", [], "verified", ""),
            ("ZT45000102", ["--password", "12"], "verified", ""),
            ("ZT45000103", ["--lose", "write:0x1410"], "failed", "Group 8 CH 1 (channel 321)"),
            ("ZT45000104", ["--version", "V400"], "failed", "V400"),
            ("ZT45000105", ["--vanish-after", "900"], "failed", "cut short"),
            ("ZT45000106", ["--echo"], "verified", ""),
        ]
        radios = []
        for i, (serial, args, _, _) in enumerate(cases):
            proc, dump, frames, image = self.plug(serial, *args)
            self.wait_rows(i + 1, batch)
            radios.append((dump, image))
            self.unplug(proc)
        status, out, err = self.finish(batch)
        self.assertEqual(status, 1, err)  # some radios failed

        rows = self.rows()
        self.assertEqual(rows[0], HEADER)
        self.assertEqual(len(rows), len(cases) + 1)
        self.assertEqual(len(out.splitlines()), len(cases))
        for (serial, _, result, reason), row, (dump, image) in zip(cases, rows[1:], radios):
            with self.subTest(serial=serial):
                line = dict(zip(HEADER, row))
                self.assertEqual(line["Serial number"], serial)
                self.assertEqual(line["Result"], result)
                self.assertIn(reason, line["Reason"])
                self.assertEqual(line["Document"], "order.dat")
                self.assertEqual(line["Sales area"], "0777")
                self.assertRegex(line["Time"], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
                if result == "verified":
                    self.assertEqual(line["Model"], "ZT-450E")
                    self.assertEqual(line["Firmware"], "V300")
                    with open(dump, "rb") as f:
                        self.assertEqual(f.read(), self.expected_write(self.dat, image))
                if serial == "ZT45000104":
                    # Another firmware family: refused, its memory as it was (its version the radio's).
                    self.assertIn("nothing written", line["Reason"])
                    held = bytearray(image)
                    held[IDENT_ADDR + 8:IDENT_ADDR + 12] = b"V400"
                    with open(dump, "rb") as f:
                        self.assertEqual(f.read(), bytes(held))
                if serial == "ZT45000104":
                    self.assertEqual(line["Backup"], "")  # refused before its memory was read
                elif result != "failed" or serial == "ZT45000105":
                    # The memory before the write is kept and named.
                    with open(os.path.join(self.path("backups"), line["Backup"], "image.bin"), "rb") as f:
                        self.assertEqual(f.read(), image)

    def test_interrupt_ends_after_the_radio_in_progress(self):
        batch = self.start_batch("--verify")
        proc, dump, frames, image = self.plug("ZT45000201", "--reply-delay", "5")
        end = time.monotonic() + TIME_LIMIT_S
        while time.monotonic() < end and " RX write " not in self.text(frames):
            time.sleep(0.05)
        batch.send_signal(signal.SIGINT)  # in the middle of the write
        status, out, err = self.finish(batch)
        self.assertEqual(status, 0, err)
        rows = self.rows()
        self.assertEqual([r[7] for r in rows[1:]], ["verified"])
        with open(dump, "rb") as f:
            self.assertEqual(f.read(), self.expected_write(self.dat, image))

    def test_a_log_that_cannot_be_written_stops_before_any_radio(self):
        proc, dump, frames, image = self.plug("ZT45000301")
        os.mkdir(self.path("folder.csv"))
        for log in (self.path("folder.csv"), self.path("missing/batch.csv"), self.dat):
            with self.subTest(log=log):
                status, out, err = self.cli("--yes", "--port", self.port, "write", self.dat, "--repeat", "--log",
                                            log)
                self.assertEqual(status, 1)
                self.assertIn(log, err)
        self.assertNotIn(" RX ", self.text(frames))
        status, _, err = self.cli("--yes", "--port", self.port, "write", self.dat, "--repeat")
        self.assertEqual(status, 2, err)
