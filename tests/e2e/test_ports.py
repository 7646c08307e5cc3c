# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog-cli and the serial ports: the ports listing, --port auto finding the simulated radio among
pseudo-terminals that are missing, silent, answer garbage or vanish (only handshakes and one end
frame reach any of them), the echo setting remembered per port, and a port that cannot be used
named with its reason and exit status 1."""

import configparser
import os
import pty
import threading
import time
import unittest

from clicase import CliCase
from simradio import SimRadio


class GarbageDevice:
    """A pseudo-terminal whose other end answers everything with noise; what it received is kept."""

    def __init__(self):
        self.master, slave = pty.openpty()
        self.path = os.ttyname(slave)
        os.close(slave)
        self.received = b""
        self.stop = False
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        import select
        while not self.stop:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            try:
                data = os.read(self.master, 256)
            except OSError:
                time.sleep(0.05)  # nobody has the other end open
                continue
            self.received += data
            os.write(self.master, b"\x15?ZT\x07garbage")

    def close(self):
        self.stop = True
        self.thread.join()
        os.close(self.master)


class PortsTest(CliCase):
    def radio(self, *args):
        radio = SimRadio(*args)
        self.addCleanup(radio.close)
        return radio

    def garbage(self):
        g = GarbageDevice()
        self.addCleanup(g.close)
        return g

    def received(self, radio):
        """The kinds of the frames the radio received, in order."""
        return [l.split(" ")[2].rstrip(":") for l in radio.log() if l.split(" ")[1] == "RX"]

    def test_ports_lists_name_device_description_and_usb_ids(self):
        out = self.ok("ports")
        for line in out.splitlines():
            fields = line.split("\t")
            self.assertEqual(len(fields), 4, line)
            self.assertTrue(fields[1].startswith("/dev/"), line)
            self.assertRegex(fields[3], r"^(-|[0-9a-f]{4}:[0-9a-f]{4})$")

    def test_auto_finds_the_radio_past_ports_that_are_no_radio(self):
        silent = self.radio("--ignore-handshakes", "100")
        vanishing = self.radio("--vanish-after", "0")
        garbage = self.garbage()
        radio = self.radio("--echo")
        missing = self.path("unplugged")
        started = time.monotonic()
        status, out, err = self.cli("info", "--verbose", "--port", "auto", "--search-path", missing,
                                    "--search-path", silent.device, "--search-path", garbage.path,
                                    "--search-path", vanishing.device, "--search-path", radio.device)
        elapsed = time.monotonic() - started
        self.assertEqual(status, 0, err)
        print("\nfound the radio after 4 other ports in %.1f s" % elapsed)
        self.assertIn("Serial number", out)
        self.assertIn(missing + ": no such device", err)
        self.assertIn(silent.device + ": no answer from the radio", err)
        self.assertIn(garbage.path + ": something answers, but not as the radio does", err)
        self.assertIn(vanishing.device + ": it went away while it was being used", err)
        self.assertIn("The radio answered on %s: starting with the echo setting echoing cable" % radio.device,
                      err)
        # Nothing but handshakes reached the ports that are no radio; the radio got the handshake
        # and its end frame before the exchange itself began with a handshake of its own.
        self.assertEqual(self.received(silent), ["handshake"] * 3)
        self.assertEqual(garbage.received, b"PROGRAM" * 3)
        self.assertEqual(self.received(vanishing), ["handshake"])
        self.assertEqual(self.received(radio)[:3], ["handshake", "end", "handshake"])
        # The setting found is kept for the next exchange on that port.
        status, _, err = self.cli("info", "--verbose", "--port", radio.device)
        self.assertEqual(status, 0, err)
        self.assertIn("starting with the echo setting echoing cable (remembered", err)

    def test_auto_without_a_radio_names_every_port_and_fails(self):
        silent = self.radio("--ignore-handshakes", "100")
        garbage = self.garbage()
        a_file = self.put("not-a-port", b"")
        status, out, err = self.cli("info", "--port", "auto", "--search-path", silent.device,
                                    "--search-path", garbage.path, "--search-path", a_file)
        self.assertEqual(status, 1)
        self.assertEqual(out, "")
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertIn("no radio answered", err)
        self.assertIn(silent.device + ": no answer from the radio", err)
        self.assertIn(garbage.path + ": something answers", err)
        self.assertIn(a_file + ": it is not a serial port", err)
        self.assertEqual(self.received(silent), ["handshake"] * 3)

    def test_search_path_needs_port_auto(self):
        status, _, err = self.cli("info", "--port", "ttyS0", "--search-path", "/dev/null")
        self.assertEqual(status, 2)
        self.assertIn("--search-path goes with --port auto", err)

    def test_the_echo_setting_found_is_remembered_per_port(self):
        """A plain cable: the first exchange loses a handshake to the default echo guess, the next
        one starts with the setting that worked."""
        radio = self.radio()
        status, _, err = self.cli("info", "--verbose", "--port", radio.device)
        self.assertEqual(status, 0, err)
        self.assertIn("starting with the echo setting echoing cable (the default", err)
        self.assertEqual(self.received(radio).count("handshake"), 2)
        ini = configparser.ConfigParser()
        ini.read(os.path.join(self.path("config"), "ztprog", "ztprog-cli.ini"))
        self.assertEqual(list(ini["echo"].values()), ["no-echo"])

        status, _, err = self.cli("info", "--verbose", "--port", radio.device)
        self.assertEqual(status, 0, err)
        self.assertIn("starting with the echo setting no echo (remembered", err)
        self.assertEqual(self.received(radio).count("handshake"), 3)  # one more, answered at once

    def test_a_port_that_cannot_be_used_is_named_with_its_reason(self):
        a_file = self.put("a-file", b"")
        os.symlink(self.path("nothing"), self.path("dangling"))
        for port, reason in ((self.path("missing"), "no such device"),
                             (self.path("dangling"), "no such device"),
                             (a_file, "it is not a serial port")):
            with self.subTest(port=port):
                status, out, err = self.cli("info", "--port", port)
                self.assertEqual(status, 1)
                self.assertEqual(len(err.strip().splitlines()), 1, err)
                self.assertIn(port + ": " + reason, err)


if __name__ == "__main__":
    unittest.main()
