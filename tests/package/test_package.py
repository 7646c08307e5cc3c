# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package: built with CPack from the build tree, unpacked into a temporary root with
dpkg -x, and its installed programs run from there, also as a user who cannot write the program
folder. Environment: ZT_BUILD_DIR (the build tree), ZT_CLI (the build tree's ztprog-cli),
ZT_RADIO_SIM (the simulated radio)."""

import glob
import gzip
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

BUILD = os.environ.get("ZT_BUILD_DIR", "")
CLI = os.environ.get("ZT_CLI", "")
SIM = os.environ.get("ZT_RADIO_SIM", "")
PREFIX = "opt/ztprog"
PROGRAM = PREFIX + "/V300"

# Lintian's findings that stay, each with its reason (the README lists them too).
LINTIAN_ACCEPTED = {
    # The program folder keeps the side-by-side layout of its versions under /opt/ztprog.
    "dir-or-file-in-opt",
}


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=120, **kw)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="ztpkg-")
        os.chmod(cls.tmp, 0o755)  # the unprivileged user below walks through it
        r = run(["cpack", "-G", "DEB", "-B", os.path.join(cls.tmp, "out")], cwd=BUILD)
        if r.returncode != 0:
            raise RuntimeError("cpack failed:\n" + r.stdout + r.stderr)
        debs = glob.glob(os.path.join(cls.tmp, "out", "ztprog_*.deb"))
        if len(debs) != 1:
            raise RuntimeError("cpack made %r" % debs)
        cls.deb = debs[0]
        cls.root = os.path.join(cls.tmp, "root")
        r = run(["dpkg", "-x", cls.deb, cls.root])
        if r.returncode != 0:
            raise RuntimeError("dpkg -x failed: " + r.stderr)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["chmod", "-R", "u+w", cls.tmp])
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def path(self, rel):
        return os.path.join(self.root, rel)

    def field(self, name):
        return run(["dpkg-deb", "-f", self.deb, name]).stdout.strip()

    def test_control_declares_the_linked_libraries(self):
        self.assertRegex(os.path.basename(self.deb), r"^ztprog_3\.0\.0_[a-z0-9]+\.deb$")
        self.assertEqual(self.field("Section"), "hamradio")
        depends = [d.split()[0] for d in self.field("Depends").split(", ")]
        for lib in ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6", "libc6",
                    "qt6-qpa-plugins", "libqt6svg6"):
            self.assertIn(lib, depends)

    def test_program_folder_and_desktop_files(self):
        for rel in ("Version.ini", "language/mysetup.ini", "V300/ztprog", "V300/ztprog-cli",
                    "V300/language/english.ini", "V300/language/chinese.ini",
                    "V300/Init/ZT-450E_0_NEW.dat", "V300/Init/ZT-450E_0_NEW.fre",
                    "V300/Init/ZT-450E_0.dat", "V300/Init/ZT-450E_0.fre",
                    "V300/StartE.jpg", "V300/StartC.jpg", "V300/PIC/BK_1.jpg", "V300/PIC/BK_2.jpg",
                    "V300/guide/guide_en.md", "V300/guide/guide_zh.md"):
            self.assertTrue(os.path.isfile(self.path(PREFIX + "/" + rel)), rel)
        # A new installation starts with the first-run link test, in the system locale's language.
        with open(self.path(PREFIX + "/language/mysetup.ini")) as f:
            shipped = f.read()
        self.assertIn("IsFirstRun=1\n", shipped)
        self.assertNotIn("CurrentLanguage", shipped)
        for program in ("ztprog", "ztprog-cli"):
            link = self.path("usr/bin/" + program)
            self.assertTrue(os.path.islink(link), link)
            self.assertEqual(os.readlink(link), "/%s/%s" % (PROGRAM, program))
            with gzip.open(self.path("usr/share/man/man1/%s.1.gz" % program), "rt") as f:
                page = f.read()
            self.assertIn(".SH NAME", page)
            self.assertIn(program, page)
        desktops = glob.glob(self.path("usr/share/applications/*.desktop"))
        self.assertEqual(len(desktops), 1, desktops)
        desktop = desktops[0]
        if shutil.which("desktop-file-validate"):
            r = run(["desktop-file-validate", desktop])
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        with open(desktop) as f:
            entry = f.read()
        self.assertIn("Exec=ztprog %f\n", entry)
        self.assertIn("Icon=ztprog\n", entry)
        self.assertTrue(os.path.isfile(self.path("usr/share/icons/hicolor/scalable/apps/ztprog.svg")))
        for size in (16, 32, 48, 256):
            png = self.path("usr/share/icons/hicolor/%dx%d/apps/ztprog.png" % (size, size))
            with open(png, "rb") as f:
                head = f.read(24)
            self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n", png)
            self.assertEqual(int.from_bytes(head[16:20], "big"), size, png)

    def test_licence_and_changelog(self):
        doc = self.path("usr/share/doc/ztprog")
        with open(os.path.join(doc, "copyright")) as f:
            copyright = f.read()
        self.assertTrue(copyright.startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
        self.assertIn("Files: *\n", copyright)
        self.assertIn("License: GPL-3+\n", copyright)
        self.assertIn("/usr/share/common-licenses/GPL-3", copyright)
        # The changelog's newest entry is the version of the package.
        with gzip.open(os.path.join(doc, "changelog.gz"), "rb") as f:
            changelog = f.read()
        r = subprocess.run(["dpkg-parsechangelog", "-l", "-", "-S", "Version"], input=changelog,
                           capture_output=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.decode().strip(), self.field("Version"))

    def test_software_centre_metadata(self):
        infos = glob.glob(self.path("usr/share/metainfo/*.metainfo.xml"))
        self.assertEqual(len(infos), 1, infos)
        info = infos[0]
        app_id = os.path.basename(info)[:-len(".metainfo.xml")]
        component = ET.parse(info).getroot()
        self.assertEqual(component.findtext("id"), app_id)
        self.assertEqual(component.findtext("project_license"), "GPL-3.0-or-later")
        # The desktop entry it launches is the installed one, named by the same id.
        self.assertEqual(component.findtext("launchable[@type='desktop-id']"), app_id + ".desktop")
        self.assertTrue(os.path.isfile(self.path("usr/share/applications/%s.desktop" % app_id)))
        self.assertEqual(component.find("releases/release").get("version"), self.field("Version"))
        # Each screenshot is a picture the build drew (the guide's, published under the URL).
        shots = [i.text for i in component.iter("image")]
        self.assertGreaterEqual(len(shots), 3)
        for url in shots:
            self.assertRegex(url, r"^https://")
            png = self.path(PROGRAM + "/guide/pictures/" + url.rsplit("/", 1)[1])
            with open(png, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", png)
        if shutil.which("appstreamcli"):
            # Clean: no error, warning or information; the tree check also reads the desktop entry.
            for cmd in (["validate", "--pedantic", "--no-net", info],
                        ["validate-tree", "--pedantic", "--no-net", self.root]):
                r = run(["appstreamcli"] + cmd)
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertNotRegex(r.stdout, r"(?m)^[EWI]:", r.stdout)

    def test_installed_cli_makes_the_same_new_document_as_the_build_tree(self):
        cli = self.path(PROGRAM + "/ztprog-cli")
        r = run([cli, "--help"])
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("Usage:", r.stdout)
        self.assertIn("--port", r.stdout)
        work = os.path.join(self.tmp, "new")
        os.makedirs(work)
        for name, program in (("installed", cli), ("built", CLI)):
            r = run([program, "new", os.path.join(work, name + ".dat")])
            self.assertEqual(r.returncode, 0, r.stderr)
        for ext in (".dat", ".fre"):
            with open(os.path.join(work, "installed" + ext), "rb") as a, \
                    open(os.path.join(work, "built" + ext), "rb") as b:
                self.assertEqual(a.read(), b.read(), ext)

    def test_installed_cli_reads_the_simulated_radio_through_a_link(self):
        # Started through a link, as /usr/bin/ztprog-cli is, it finds its program folder (the
        # version table: without it the radio's version is refused).
        work = os.path.join(self.tmp, "radio")
        os.makedirs(work)
        link = os.path.join(work, "ztprog-cli")
        os.symlink(self.path(PROGRAM + "/ztprog-cli"), link)
        device = os.path.join(work, "radio")
        sim = subprocess.Popen([sys.executable, SIM, "--link", device], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
        try:
            self.assertEqual(sim.stdout.readline().strip(), device)
            r = run([link, "read", "--yes", "--quiet", "--port", device,
                     os.path.join(work, "read.dat")], env=dict(os.environ, XDG_DATA_HOME=work))
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertGreater(os.path.getsize(os.path.join(work, "read.fre")), 0)
            # The read was kept in the user's data folder, not in the read-only program folder.
            self.assertEqual(len(os.listdir(os.path.join(work, "ztprog", "ztprog", "backups"))), 1)
        finally:
            sim.terminate()
            sim.communicate(timeout=10)

    def start_windowed(self, home, as_user):
        """Runs the installed ztprog on the offscreen platform until it has written the user's
        mysetup.ini (start-up writes it back at once), then ends it."""
        setup = os.path.join(home, ".config/ztprog/ztprog/language/mysetup.ini")
        env = {"PATH": "/usr/bin:/bin", "HOME": home, "QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8"}
        before = os.path.getmtime(setup) if os.path.exists(setup) else None
        link = os.path.join(self.tmp, "ztprog")  # started as /usr/bin/ztprog is
        if not os.path.islink(link):
            os.symlink(self.path(PROGRAM + "/ztprog"), link)
        proc = subprocess.Popen(as_user + [link], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and proc.poll() is None:
                if os.path.exists(setup) and os.path.getmtime(setup) != before:
                    time.sleep(0.5)  # the rest of start-up
                    break
                time.sleep(0.1)
            self.assertIsNone(proc.poll(), proc.stderr.read() if proc.poll() is not None else "")
        finally:
            proc.terminate()
            proc.communicate(timeout=10)
        with open(setup) as f:
            return f.read()

    def test_windowed_program_keeps_settings_in_the_users_folder(self):
        home = os.path.join(self.tmp, "home")
        os.makedirs(home)
        program = self.path(PREFIX)
        if os.geteuid() == 0:
            # As root every folder is writable: run as an ordinary user, who cannot write /opt.
            nobody = pwd.getpwnam("nobody")
            os.chown(home, nobody.pw_uid, nobody.pw_gid)
            as_user = ["setpriv", "--reuid=%d" % nobody.pw_uid, "--regid=%d" % nobody.pw_gid,
                       "--clear-groups"]
        else:
            subprocess.run(["chmod", "-R", "a-w", program], check=True)
            as_user = []
        installed = sorted(os.path.join(d, f) for d, _, fs in os.walk(program) for f in fs)
        with open(self.path(PREFIX + "/language/mysetup.ini")) as f:
            shipped = f.read()

        first = self.start_windowed(home, as_user)
        first_run = [l for l in shipped.splitlines() if l.startswith("IsFirstRun=")]
        self.assertEqual([l for l in first.splitlines() if l.startswith("IsFirstRun=")], first_run)
        self.assertIn("comPortName=", first)  # seeded from the shipped defaults
        user = os.path.join(home, ".config/ztprog/ztprog")
        self.assertTrue(os.path.isdir(os.path.join(user, "V300")))  # the installed version's folder
        # The next run keeps what the user's copy says rather than the shipped defaults.
        with open(os.path.join(user, "language/mysetup.ini"), "w") as f:
            f.write(first.replace("comPortName=", "comPortName=ttyTEST7", 1))
        second = self.start_windowed(home, as_user)
        self.assertIn("comPortName=ttyTEST7", second)

        with open(self.path(PREFIX + "/language/mysetup.ini")) as f:
            self.assertEqual(f.read(), shipped)
        self.assertEqual(sorted(os.path.join(d, f) for d, _, fs in os.walk(program) for f in fs),
                         installed)

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_only_the_accepted_tags(self):
        r = subprocess.run(["lintian", "--no-tag-display-limit", self.deb], capture_output=True,
                           text=True, timeout=600)
        tags = set()
        for line in r.stdout.splitlines():
            parts = line.split()
            if len(parts) >= 3 and parts[0] in ("E:", "W:"):
                tags.add(parts[2])
        self.assertEqual(tags - LINTIAN_ACCEPTED, set(), r.stdout)


if __name__ == "__main__":
    unittest.main()
