# SPDX-License-Identifier: GPL-3.0-or-later
"""What the tests of ztprog-cli share: a scratch folder per test and runs of the program that end
within a time limit, so that a hang shows as a failed test, never as a stuck test run."""

import os
import shutil
import subprocess
import tempfile
import unittest

from simradio import CLI

TIME_LIMIT_S = 90


@unittest.skipUnless(CLI, "ztprog-cli was not built")
class CliCase(unittest.TestCase):
    scratch_prefix = "ztcli-"

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix=self.scratch_prefix)
        self.addCleanup(shutil.rmtree, self.dir, True)

    def env(self):
        """The user's data folder, where backups are kept, and configuration folder, where the echo
        setting of each port is remembered, are the test's own."""
        return dict(os.environ, XDG_DATA_HOME=self.path("data"), XDG_CONFIG_HOME=self.path("config"))

    def path(self, name):
        return os.path.join(self.dir, name)

    def put(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def get(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def cli(self, *args, text=True):
        """Runs ztprog-cli; returns (status, stdout, stderr), as text or, with text=False, bytes."""
        try:
            p = subprocess.run([CLI, "--quiet"] + [str(a) for a in args], capture_output=True, text=text,
                               timeout=TIME_LIMIT_S, stdin=subprocess.DEVNULL, env=self.env())
        except subprocess.TimeoutExpired:
            self.fail("ztprog-cli %s did not end within %d s" % (" ".join(map(str, args)), TIME_LIMIT_S))
        return p.returncode, p.stdout, p.stderr

    def ok(self, *args):
        status, out, err = self.cli(*args)
        self.assertEqual(status, 0, "ztprog-cli %s failed: %s" % (" ".join(map(str, args)), err))
        return out
