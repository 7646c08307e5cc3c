# SPDX-License-Identifier: GPL-3.0-or-later
"""scripts/spdx.sh on a scratch git checkout holding the kinds of files a checkout has: it adds the
licence line where it lacks, after a "#!" line, keeping CRLF line ends and the executable bit, leaves
other files, untracked files, links and files with an identifier of their own alone, changes nothing
when run again, and its check mode lists exactly the files that lack the line."""

import os
import shutil
import stat
import subprocess
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "spdx.sh")
CPP = "// SPDX-License-Identifier: GPL-3.0-or-later\n"
HASH = "# SPDX-License-Identifier: GPL-3.0-or-later\n"

# path -> (content before, content expected after)
CASES = {
    "src/a.cpp": ("int main() {}\n", CPP + "int main() {}\n"),
    "src/a.h": ("#pragma once\r\nint f();\r\n", CPP.replace("\n", "\r\n") + "#pragma once\r\nint f();\r\n"),
    "src/empty.h": ("", CPP),
    "src/no_end.c": ("int x;", CPP + "int x;"),
    "src/done.cpp": (CPP + "int y;\n", CPP + "int y;\n"),
    "src/other.hpp": ("// SPDX-License-Identifier: MIT\nint z;\n", "// SPDX-License-Identifier: MIT\nint z;\n"),
    "CMakeLists.txt": ("project(x)\n", HASH + "project(x)\n"),
    "cmake/find.cmake": ("set(a 1)\n", HASH + "set(a 1)\n"),
    "scripts/run.sh": ("#!/usr/bin/env bash\necho hi\n", "#!/usr/bin/env bash\n" + HASH + "echo hi\n"),
    "scripts/only_shebang.sh": ("#!/bin/sh", "#!/bin/sh\n" + HASH),
    "tests/t.py": ('"""Doc."""\nimport os\n', HASH + '"""Doc."""\nimport os\n'),
    "tests/done.py": ("#!/usr/bin/env python3\n" + HASH + "x = 1\n", "#!/usr/bin/env python3\n" + HASH + "x = 1\n"),
    "README.md": ("# Title\n", "# Title\n"),
    "data/english.ini": ("[Msg]\n", "[Msg]\n"),
    "notes.txt": ("text\n", "text\n"),
}
UNTRACKED = ("build/gen.cpp", "src/scratch.cpp")


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="") as f:
        f.write(text)


def read(root, rel):
    with open(os.path.join(root, rel), newline="") as f:
        return f.read()


class SpdxScript(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="ztspdx-")
        self.addCleanup(shutil.rmtree, self.root)
        for rel, (before, _) in CASES.items():
            write(self.root, rel, before)
        os.chmod(os.path.join(self.root, "scripts/run.sh"), 0o755)
        os.symlink("a.cpp", os.path.join(self.root, "src/link.cpp"))
        git = ["git", "-C", self.root, "-c", "user.name=t", "-c", "user.email=t@t"]
        subprocess.run(git + ["init", "-q"], check=True)
        subprocess.run(git + ["add", "."], check=True)
        for rel in UNTRACKED:
            write(self.root, rel, "int u;\n")

    def spdx(self, *args):
        return subprocess.run(["bash", SCRIPT, *args, self.root], capture_output=True, text=True, timeout=60)

    def lacking(self, r):
        return sorted(l.split(":")[0] for l in r.stdout.splitlines() if "no SPDX" in l)

    def test_check_lists_exactly_the_files_that_lack_the_line(self):
        r = self.spdx("--check")
        self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
        expected = sorted(rel for rel, (before, after) in CASES.items() if before != after)
        self.assertEqual(self.lacking(r), expected)

    def test_adds_the_line_once_and_keeps_what_else_is_there(self):
        r = self.spdx()
        self.assertEqual(r.returncode, 0, r.stderr)
        for rel, (_, after) in CASES.items():
            self.assertEqual(read(self.root, rel), after, rel)
        for rel in UNTRACKED:
            self.assertEqual(read(self.root, rel), "int u;\n", rel)
        self.assertTrue(os.path.islink(os.path.join(self.root, "src/link.cpp")))
        self.assertTrue(os.stat(os.path.join(self.root, "scripts/run.sh")).st_mode & stat.S_IXUSR)
        self.assertEqual([f for f in os.listdir(os.path.join(self.root, "src")) if ".spdx." in f], [])
        # Again: nothing changes, and the check passes.
        r = self.spdx()
        self.assertEqual((r.returncode, r.stdout), (0, ""), r.stderr)
        for rel, (_, after) in CASES.items():
            self.assertEqual(read(self.root, rel), after, rel)
        r = self.spdx("--check")
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_refuses_unknown_options(self):
        r = subprocess.run(["bash", SCRIPT, "--fix", self.root], capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 2)
        self.assertIn("usage", r.stderr)


if __name__ == "__main__":
    unittest.main()
