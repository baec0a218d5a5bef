"""Kiln.exe under Wine with the panel on a free port, for the panel tests.

The host runs the demo's configuration (bus, settings service, component and
firewall module) over a private state folder, prints the panel's address, and
is stopped with Ctrl-C as a person would stop it.
"""

import os
import shutil
import signal
import subprocess
import threading
import time

# Generous: the first start of a cold Wine server takes seconds.
START_DEADLINE_S = 90
STOP_DEADLINE_S = 30


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class PanelHost:
    def __init__(self, build, root, work, port=0):
        self.build, self.root, self.work, self.port = build, root, work, port
        self.lines = []
        self.changed = threading.Condition()
        self.url = None
        self.process = None
        self.ended = False

    def start(self, fresh=True):
        if fresh:
            shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work, exist_ok=True)
        self.lines = []
        self.ended = False
        command = [os.path.join(self.root, "cmake", "wine-run"), os.path.join(self.build, "bin", "Kiln.exe"),
                   "--config", winpath(os.path.join(self.root, "kit", "Kiln", "demo", "kiln.ini")),
                   "--var", "Work=" + winpath(self.work), "--panel", "127.0.0.1:%d" % self.port]
        self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True, encoding="utf-8", errors="replace")
        threading.Thread(target=self._read, args=(self.process,), daemon=True).start()
        line = self.wait_line(lambda text: text.startswith("host: panel at ") or text.startswith("kiln: no panel"),
                              START_DEADLINE_S)
        if not line or not line.startswith("host: panel at "):
            raise AssertionError("the panel did not start:\n" + self.output())
        self.wait_line(lambda text: text.startswith("host: serving the panel"), START_DEADLINE_S)
        self.url = line.split()[3]
        self.port = int(self.url.rstrip("/").rsplit(":", 1)[1])
        return self

    def _read(self, process):
        for line in process.stdout:
            with self.changed:
                self.lines.append(line.rstrip("\r\n"))
                self.changed.notify_all()
        process.stdout.close()
        with self.changed:
            self.ended = True
            self.changed.notify_all()

    def wait_line(self, matches, deadline_s, after=0):
        """The first line from index `after` on that matches, or None at the deadline."""
        end = time.monotonic() + deadline_s
        with self.changed:
            while True:
                for line in self.lines[after:]:
                    if matches(line):
                        return line
                left = end - time.monotonic()
                if left <= 0 or self.ended:
                    return None
                self.changed.wait(left)

    def output(self):
        with self.changed:
            return "\n".join(self.lines)

    def stop(self):
        """Ctrl-C, then the host's exit status (it kills a host that does not end)."""
        if not self.process or self.process.poll() is not None:
            return self.process.returncode if self.process else None
        self.process.send_signal(signal.SIGINT)
        try:
            return self.process.wait(STOP_DEADLINE_S)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError("Kiln.exe did not end on Ctrl-C:\n" + self.output())
