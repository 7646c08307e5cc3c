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
from atspi_driver import App, key, screenshot, type_text, wait_for  # noqa: E402

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
        self.app = App([self.program] + list(args), env=self.env, cwd=self.dir)
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
        with open(source, "rb") as f:
            self.assertNotIn(321, {c["ChannelNo"] for c in ztlayout.read_pair(f.read(), open(source[:-3] + "fre", "rb").read())[1]})



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


if __name__ == "__main__":
    unittest.main()
