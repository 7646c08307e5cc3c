# SPDX-License-Identifier: GPL-3.0-or-later
"""ztprog as a user meets it: started on a real X display, driven through its menus, dialogs and
the channel grid with real key presses, checked on the files it writes (read back with the
independent reader of the data layouts)."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import ztlayout  # noqa: E402
from simradio import SimRadio  # noqa: E402
from atspi_driver import App, key, screenshot, showing, type_text, wait_for, walk  # noqa: E402

ZTPROG = os.environ.get("ZTPROG", "")
CLI = os.environ.get("ZT_CLI", "")
SHOTS = os.environ.get("ZT_SCREENSHOTS", "")


class DesktopCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="ztgui-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        # A copy of the program folder, so that the settings files it writes are the test's own.
        dist = os.path.dirname(os.path.dirname(ZTPROG))
        self.root = os.path.join(self.dir, "dist")
        shutil.copytree(dist, self.root, symlinks=True)
        self.program = os.path.join(self.root, os.path.basename(os.path.dirname(ZTPROG)), os.path.basename(ZTPROG))
        self.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.dir, "config"), HOME=self.dir,
                        LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.app = None

    def tearDown(self):
        if self.app is not None:
            if SHOTS:
                screenshot(os.path.join(SHOTS, self.id().split(".")[-1] + "-end.png"))
            self.app.kill()

    def path(self, name):
        return os.path.join(self.dir, name)

    def start(self, *args):
        self.app = App([self.program] + list(args), env=self.env, cwd=self.dir, log=self.path("ztprog.log"))
        # The splash gives way to the main window.
        return self.app.wait("frame", "ZT-450E Programming Software", prefix=True)

    def new_pair(self, name, group):
        """A new document saved by the command-line front end, with the channel grid on `group`."""
        dat = self.path(name)
        subprocess.run([CLI, "new", dat], check=True, capture_output=True)
        with open(dat, "rb") as f:
            settings = ztlayout.read_settings(f.read())
        settings["Features.ChannelGroup"] = group
        with open(dat, "wb") as f:
            f.write(ztlayout.write_settings(settings))
        return dat

    def save_as(self, main, name):
        """File > Save As to `name` in the scratch folder; returns the path."""
        self.app.menu("File", "Save As...")
        target = self.path(name)
        self.file_dialog(target)
        wait_for("the new name in the title", lambda: main.name.endswith("[File:%s]" % name))
        return target

    def save_as_and_quit(self, main, name):
        """File > Save As to `name` in the scratch folder, then File > Exit; returns the path."""
        target = self.save_as(main, name)
        self.app.menu("File", "Exit")
        self.assertEqual(self.app.wait_exit(), 0)
        return target

    def file_dialog(self, path):
        """Types a path into the open or save dialog that has just appeared and confirms it."""
        wait_for("the file dialog", lambda: self.app.find("dialog"))
        time.sleep(0.5)
        key("ctrl+a")
        type_text(path)
        key("Return")
        wait_for("the file dialog to close", lambda: self.app.find("dialog") is None)


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class OpenChangeSaveAs(DesktopCase):
    def test_open_change_a_channel_save_as_and_quit(self):
        source = self.new_pair("radio.dat", 8)
        main = self.start()

        self.app.menu("File", "Open...")
        self.file_dialog(source)
        wait_for("the opened file in the title", lambda: main.name.endswith("[File:radio.dat]"))

        # The grid shows group 8; a click on the RX cell of its first row opens the editor there.
        grid = self.app.wait("table")
        self.app.click(grid.queryTable().getAccessibleAt(0, 0))
        time.sleep(0.3)
        type_text("27.125")
        key("Return")
        time.sleep(0.3)

        self.app.menu("File", "Save As...")
        target = self.path("changed.dat")
        self.file_dialog(target)
        wait_for("the new name in the title", lambda: main.name.endswith("[File:changed.dat]"))

        self.app.menu("File", "Exit")
        self.assertEqual(self.app.wait_exit(), 0)

        dat, fre = ztlayout.pair_paths(target)
        with open(dat, "rb") as f, open(fre, "rb") as g:
            settings, channels = ztlayout.read_pair(f.read(), g.read())
        by_number = {c["ChannelNo"]: c for c in channels}
        self.assertIn(321, by_number, "the first channel of group 8 was not created")
        self.assertEqual(by_number[321]["RxFreq"], b"02712500")
        self.assertEqual(settings["ChannelCount"], len(channels))
        # The opened pair itself is unchanged.
        dat, fre = ztlayout.pair_paths(source)
        with open(dat, "rb") as f, open(fre, "rb") as g:
            self.assertNotIn(321, {c["ChannelNo"] for c in ztlayout.read_pair(f.read(), g.read())[1]})


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class SettingsWindows(DesktopCase):
    def test_dtmf_options_and_tone_tips_store_what_is_typed_and_chosen(self):
        main = self.start()

        self.app.menu("Edit", "DTMF")
        dtmf = self.app.wait("frame", "DTMF")
        self.app.click(self.app.wait("page tab", "Code List", within=dtmf))
        self.app.click(self.app.wait("text", "M1", within=dtmf))
        type_text("12ab-e")  # a to d become capitals; other letters and marks are refused
        self.app.click(self.app.wait("page tab", "Options and Codes", within=dtmf))
        self.app.click(self.app.wait("text", "ID Code", within=dtmf))
        key("ctrl+a")
        type_text("12")
        key("Tab")  # two digits are too short: the box holds "000" once left
        wait_for("the ID code to be replaced",
                 lambda: self.app.find("text", "ID Code", within=dtmf).queryText().getText(0, -1) == "000")
        if SHOTS:
            screenshot(os.path.join(SHOTS, "dtmf.png"))

        self.app.menu("Edit", "Optional Features")
        # Wider than the workspace of a main window of the first-run size: partly scrolled out.
        options = self.app.wait("frame", "Optional Features", visible=False)
        self.app.click(self.app.wait("text", "Power-on Text", within=options, visible=False))
        type_text("AB")  # each character moves on to the next box
        if SHOTS:
            screenshot(os.path.join(SHOTS, "options.png"))

        self.app.menu("Edit", "Tone Tips")
        tips = self.app.wait("frame", "Tone Tips", visible=False)
        self.app.click(self.app.wait("page tab", "Tone 2", within=tips, visible=False))
        # A list is known by its shown entry: the first list of the window is the repeat count.
        repeat = self.app.wait("combo box", within=tips, visible=False)
        self.app.click(repeat)  # the list opens
        time.sleep(0.5)
        key("Down", "Return")  # tip 2 repeats once: now twice
        time.sleep(0.3)
        if SHOTS:
            screenshot(os.path.join(SHOTS, "tone-tips.png"))

        target = self.save_as_and_quit(main, "settings.dat")

        with open(target, "rb") as f:
            s = ztlayout.read_settings(f.read())
        self.assertEqual(s["Dtmf.CodeList[1].Code"], b"12AB            ")
        self.assertEqual(s["Dtmf.CodeList[1].Len"], 4)
        self.assertEqual(s["Dtmf.IdCode"], b"000       ")
        self.assertEqual(s["Dtmf.IdCodeLen"], 3)
        self.assertEqual(s["Dtmf.DtmfRate"], 1)  # a new document's 0 has no entry: opening made it 1
        self.assertEqual(s["Features.PowerOnText"], b"        AB2180  ")
        self.assertEqual(s["Features.TotTime"], 0)  # 4 s has no entry: opening made it off
        self.assertEqual(s["ToneTips[2].Repeat"], 2)


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class RadioReadWrite(DesktopCase):
    def answer(self, text):
        """Waits for the message box showing `text` and presses Enter (its OK button)."""
        self.app.wait("label", text)
        time.sleep(0.4)
        key("Return")
        wait_for("the message to close", lambda: self.app.find("label", text) is None)

    def write_and_compare(self, radio, pair):
        """Writes the radio and compares its memory with the command-line encoding of `pair`."""
        self.app.menu("Program", "Write to Radio")
        self.answer("Write the current data into the radio?")
        self.answer("The data has been written to the radio.")
        encoded = self.path("encoded.bin")
        subprocess.run([CLI, "encode", pair, encoded], check=True, capture_output=True)
        with open(encoded, "rb") as f:
            expected = f.read()
        dumped = radio.dumped()[:len(expected)]
        # The identification bytes written are the radio's own.
        ident = slice(0x21F0, 0x21FE)
        self.assertEqual(dumped[:ident.start], expected[:ident.start])
        self.assertEqual(dumped[ident.stop:], expected[ident.stop:])

    def read_radio(self, main, radio):
        """Types the simulated radio's path into the port dialog, reads the radio and saves what
        was read as radio.dat; returns the path."""
        self.app.menu("Settings", "Serial Port...")
        dialog = self.app.wait("dialog", "Serial Port")
        box = self.app.wait("text", "Device path", within=dialog)
        self.app.click(box)
        key("ctrl+a")
        type_text(radio.device)
        self.app.click(self.app.wait("push button", "OK", within=dialog))
        wait_for("the port in the status bar", lambda: any(
            n.getRoleName() == "label" and n.name.endswith(radio.device) for n in walk(self.app.root)))

        self.app.menu("Program", "Read from Radio")
        self.answer("Read the data from the radio? The data being edited will be replaced.")
        self.answer("The data has been read from the radio.")
        wait_for("the read data in the title", lambda: "new.dat" in main.name)
        self.app.wait("table")

        return self.save_as(main, "radio.dat")

    def assert_radio_channels(self, target):
        """The pair `target` holds the simulated radio's 40 channels from 26.965 MHz in 10 kHz steps."""
        dat, fre = ztlayout.pair_paths(target)
        with open(dat, "rb") as f, open(fre, "rb") as g:
            frequencies = [c["RxFreq"] for c in ztlayout.read_pair(f.read(), g.read())[1]]
        self.assertEqual(frequencies[:40], [b"0%d00" % (26965 + 10 * n) for n in range(40)])

    def test_choose_the_port_read_save_change_a_channel_and_write(self):
        with SimRadio() as radio:
            main = self.start()
            target = self.read_radio(main, radio)
            self.assert_radio_channels(target)

            # Group 8 through the grid's group list, then a new channel typed into its first row.
            grid = self.app.wait("table")
            # The group list is the window's first list (a list is named by the entry it shows).
            group = self.app.wait("combo box", "0", within=grid.parent)
            self.app.click(group)
            time.sleep(0.5)
            key("Home", *["Down"] * 8, "Return")
            time.sleep(0.5)
            self.app.click(grid.queryTable().getAccessibleAt(0, 0))
            time.sleep(0.3)
            type_text("27.125")
            key("Return")
            time.sleep(0.3)
            changed = self.save_as(main, "changed.dat")
            dat, fre = ztlayout.pair_paths(changed)
            with open(dat, "rb") as f, open(fre, "rb") as g:
                channels = {c["ChannelNo"]: c["RxFreq"] for c in ztlayout.read_pair(f.read(), g.read())[1]}
            self.assertEqual(channels.get(321), b"02712500", "the first channel of group 8 was not created")

            self.write_and_compare(radio, changed)
            self.assertEqual(len(radio.frames("RX", "write")), 580)

            # Another document opened from disk and written: the radio now holds it.
            other = self.new_pair("other.dat", 1)
            self.app.menu("File", "Open...")
            self.file_dialog(other)
            wait_for("the opened file in the title", lambda: main.name.endswith("[File:other.dat]"))
            self.write_and_compare(radio, other)
            self.assertEqual(len(radio.frames("RX", "write")), 2 * 580)

            self.app.menu("File", "Exit")
            self.assertEqual(self.app.wait_exit(), 0)

    def test_a_read_is_kept_and_restored_from_its_backup(self):
        with SimRadio() as radio:
            main = self.start()
            self.read_radio(main, radio)
        # The newest backup is chosen; Open as Document (Alt+D) makes it the untitled document (Enter
        # would write it back into the radio).
        self.app.menu("File", "Restore from Backup...")
        dialog = self.app.wait("dialog", "Backups")
        self.app.wait("table", "Backups", within=dialog)
        time.sleep(0.4)
        key("alt+d")
        wait_for("the restored document in the title", lambda: main.name.endswith("[File:new.dat]"))
        self.assert_radio_channels(self.save_as_and_quit(main, "restored.dat"))


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class ChannelExchange(DesktopCase):
    def test_import_csv_through_the_preview_then_export_the_list_as_pdf(self):
        csv_path = self.path("club.csv")
        with open(csv_path, "w", encoding="utf-8", newline="") as f:
            f.write("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,Mode\r\n"
                    "401,\"Net, north\",28.400000,-,0.100000,Tone,88.5,FM\r\n"
                    "402,Two metres,146.520000,,0.000000,,88.5,FM\r\n")
        main = self.start()
        self.app.menu("File", "Import Channels from CSV...")
        # The preview follows the file dialog at once (file_dialog would wait for no dialog at all).
        wait_for("the file dialog", lambda: self.app.find("dialog"))
        time.sleep(0.5)
        key("ctrl+a")
        type_text(csv_path)
        key("Return")
        preview = self.app.wait("dialog", "Import Channels - club.csv")
        self.app.wait("label", "Channels to import: 1", within=preview)
        self.app.wait("label", "Rows refused: 1", within=preview)
        if SHOTS:
            screenshot(os.path.join(SHOTS, "csv-import-preview.png"))
        self.app.click(self.app.wait("push button", "Import", within=preview))
        wait_for("the preview to close", lambda: self.app.find("dialog", "Import Channels - club.csv") is None)
        # A message says what was imported and what was refused, with the first reason; Enter
        # closes it.
        said = ("Imported 1 channel: Group 10 CH 1\n1 imported, 1 refused; first refused: line 3, channel 402: "
                "frequency outside the radio's band (146.520000)\n"
                "The preview listed every refused row with its reasons.")
        self.app.wait("label", said)
        time.sleep(0.4)
        key("Return")
        wait_for("the message to close", lambda: self.app.find("label", said) is None)

        self.app.menu("File", "Export Channel List as PDF...")
        pdf = self.path("club.pdf")
        self.file_dialog(pdf)
        wait_for("the PDF", lambda: os.path.exists(pdf) and os.path.getsize(pdf) > 0)
        time.sleep(0.5)
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True, capture_output=True,
                              text=True).stdout
        self.assertRegex(text, r"401\s+28\.40000\s+-0\.10000\s+OFF\s+88\.5\s+FM")
        self.assertNotIn("146.52", text)
        self.assertTrue(main.name.startswith("ZT-450E"))


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class Language(DesktopCase):
    def test_switching_to_chinese_relabels_the_window_and_is_remembered(self):
        self.start()
        self.app.menu("Settings", "Language...")
        dialog = self.app.wait("dialog", "Language")
        time.sleep(0.3)
        key("Down")  # the list has the focus: the entry below English
        self.app.click(self.app.wait("push button", "OK", within=dialog))
        self.app.wait("menu item", "\u6587\u4ef6(F)")  # File
        self.app.wait("frame", "\u4fe1\u9053", prefix=True)  # the channel window, reopened
        if SHOTS:
            screenshot(os.path.join(SHOTS, "main-chinese.png"))
        self.app.menu("\u6587\u4ef6(F)", "\u9000\u51fa(X)")  # File, Exit
        self.assertEqual(self.app.wait_exit(), 0)
        with open(os.path.join(self.root, "language", "mysetup.ini"), encoding="utf-8") as f:
            self.assertIn("CurrentLanguage=2", f.read().replace(" ", ""))


@unittest.skipUnless(ZTPROG and CLI, "ztprog or ztprog-cli not built")
class MessageAndResetWindows(DesktopCase):
    def controls(self, frame, role):
        return [n for n in walk(frame) if n.getRoleName() == role and showing(n)]

    def test_embedded_message_and_reset_mode_through_their_menus(self):
        main = self.start()

        self.app.menu("Edit", "Embedded Message")
        frame = self.app.wait("frame", "Embedded Message")
        lines = self.controls(frame, "text")
        self.assertEqual(len(lines), 4)
        self.app.click(lines[0])
        time.sleep(0.3)
        type_text("HELLO WORLD")
        key("Return")  # on to the next line
        type_text("0123456789ABCDEFXYZ")  # only 16 characters fit
        time.sleep(0.3)

        self.app.menu("Edit", "Reset Mode")
        frame = self.app.wait("frame", "Reset Mode")
        lists = self.controls(frame, "combo box")
        self.assertEqual(len(lists), 4)
        # The E-mode channel: its list opens on channel 1; two entries further down is channel 3.
        self.app.click(lists[1])
        time.sleep(0.5)
        key("Down", "Down", "Return")
        time.sleep(0.3)
        if SHOTS:
            screenshot(os.path.join(SHOTS, "settings-windows.png"))

        target = self.save_as_and_quit(main, "settings.dat")

        with open(target, "rb") as f:
            settings = ztlayout.read_settings(f.read())
        self.assertEqual(bytes(settings["EmbeddedMessage[0]"]), b"HELLO WORLD\0    ")
        self.assertEqual(bytes(settings["EmbeddedMessage[1]"]), b"0123456789ABCDEF")
        # Opening the window stored the channels and normal-mode group it shows.
        self.assertEqual([settings["Features.ResetMode[%d]" % i] for i in range(4)], [0, 3, 6, 1])


if __name__ == "__main__":
    unittest.main()
