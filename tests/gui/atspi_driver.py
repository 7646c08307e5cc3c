# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real ztprog as a user does: finds its windows and controls through the accessibility
interface (AT-SPI), presses real keys (xdotool) and takes screenshots. Every wait is bounded."""

import os
import subprocess
import time

import pyatspi

WAIT_S = 20


def wait_for(what, probe, timeout=WAIT_S):
    end = time.time() + timeout
    while time.time() < end:
        try:
            found = probe()
        except Exception:  # the tree changes under our feet while windows open and close
            found = None
        if found:
            return found
        time.sleep(0.15)
    raise AssertionError("timed out waiting for " + what)


def walk(node, depth=0, max_depth=12):
    yield node
    if depth >= max_depth:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1, max_depth)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def registry_ready():
    """Waits until the accessibility registry answers. A program that starts while the registry is
    still being activated may never announce itself, so no program starts before this."""
    wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, timeout=60)


def has_window(pid):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], capture_output=True)
    return found.returncode == 0 and found.stdout.strip() != b""


class App:
    def __init__(self, argv, env=None, cwd=None, log=os.devnull):
        registry_ready()
        self.argv, self.env, self.cwd, self.log_path = argv, env, cwd, log
        self.name = os.path.basename(argv[0])
        self.log = None
        self._launch()
        try:
            # A loaded machine may take a while to start the program.
            self.root = wait_for("the program on the accessibility bus", self._find_app, timeout=45)
        except AssertionError:
            # A program whose window shows but which the registry never heard of lost its
            # announcement on the bus, not its start: one more start. Anything else is a failure.
            if not (self.running() and has_window(self.proc.pid)):
                self.kill()
                raise AssertionError("the program did not start; its output:\n" + self.output())
            print("the program's window shows but it is not on the accessibility bus; starting it again",
                  flush=True)
            self.kill()
            self._launch()
            try:
                self.root = wait_for("the program on the accessibility bus", self._find_app, timeout=45)
            except AssertionError:
                self.kill()
                raise AssertionError("the program never showed on the accessibility bus; its output:\n"
                                     + self.output())

    def _launch(self):
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(self.argv, env=self.env, cwd=self.cwd, stdout=self.log,
                                     stderr=subprocess.STDOUT)

    def output(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()[-4000:].decode("utf-8", "replace")
        except OSError:
            return ""

    def _find_app(self):
        """This run's program: an earlier run's entry may still linger on the bus."""
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == self.name and a.get_process_id() == self.proc.pid:
                return a
        return None

    def find(self, role, name=None, within=None, visible=True, prefix=False):
        """The first control of `role` (and `name`) anywhere in the program's windows."""
        for node in walk(within or self.root):
            if node.getRoleName() != role:
                continue
            if name is not None:
                if prefix and not node.name.startswith(name):
                    continue
                if not prefix and node.name != name:
                    continue
            if visible and not showing(node):
                continue
            return node
        return None

    def wait(self, role, name=None, **kw):
        return wait_for("%s %r" % (role, name), lambda: self.find(role, name, **kw))

    def frames(self):
        return [self.root.getChildAtIndex(i) for i in range(self.root.childCount)]

    def menu(self, *path):
        """Chooses a menu command with the mouse: a click on the menu, then on each entry of the
        path as it shows. (An accessibility action would wait for the command to end, which a
        command that opens a dialog does only when the dialog closes.)"""
        node = self.wait("menu item", path[0])
        self.click(node)
        for name in path[1:]:
            parent = node
            node = wait_for("menu entry " + name,
                            lambda: next((n for n in walk(parent) if n.getRoleName() == "menu item"
                                          and n.name == name and showing(n)), None))
            time.sleep(0.2)
            self.click(node)

    def click(self, node):
        """A real mouse click in the middle of a control."""
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdotool("mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", "1")

    def focus(self, node):
        node.queryComponent().grabFocus()

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=WAIT_S):
        return self.proc.wait(timeout=timeout)

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait()
        if self.log is not None and not self.log.closed:
            self.log.close()


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def type_text(text):
    xdotool("type", "--delay", "30", text)


def key(*names):
    for n in names:
        xdotool("key", n)
        time.sleep(0.05)


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=False)
