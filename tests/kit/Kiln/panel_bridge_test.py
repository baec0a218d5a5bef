"""The panel's bridge refuses, with an HTTP status and a one-line reason, every
request it must not serve, and nothing refused reaches the bus.

usage: panel_bridge_test.py BUILD_DIR SOURCE_DIR
"""

import http.client
import json
import os
import subprocess
import sys
import unittest

from panel_host import PanelHost

BUILD, ROOT = sys.argv[1], sys.argv[2]


def call(port, method, path, body=None, headers=None, host=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        connection.putrequest(method, path, skip_host=True)
        connection.putheader("Host", host or "127.0.0.1:%d" % port)
        data = body.encode() if isinstance(body, str) else body
        for name, value in (headers or {"Content-Type": "application/json"}).items():
            connection.putheader(name, value)
        connection.putheader("Content-Length", str(len(data or b"")))
        connection.endheaders(data)
        response = connection.getresponse()
        return response.status, response.getheader("Allow"), response.read().decode()
    finally:
        connection.close()


def publish(name, payload='{"state":"off"}'):
    return '{"name":"%s","payload":%s}' % (name, payload)


class BridgeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.host = PanelHost(BUILD, ROOT, os.path.join(BUILD, "tests", "panel-bridge")).start()

    @classmethod
    def tearDownClass(cls):
        cls.host.stop()

    def test_refuses_what_it_must_not_serve_and_keeps_it_off_the_bus(self):
        port = self.host.port
        json_body = {"Content-Type": "application/json"}
        cases = [
            # (what, method, path, body, headers, host, status, reason)
            ("a name outside the catalogue", "POST", "/api/publish", publish("Core.Firewall.Shutdown"), None, None,
             403, "not a request of the catalogue: Core.Firewall.Shutdown"),
            ("a payload over 64 KiB", "POST", "/api/publish",
             publish("Core.Firewall.ChangeState", '"%s"' % ("x" * 70000)), None, None, 413, "over the limit"),
            ("a body that is not JSON", "POST", "/api/request", '{"name":"Core.Firewall.ChangeState",', None, None,
             400, "not JSON"),
            ("a body without a payload", "POST", "/api/publish", '{"name":"Core.Firewall.ChangeState"}', None, None,
             400, "needs a \"payload\""),
            ("a GET of the publish route", "GET", "/api/publish", None, {}, None, 405, "only POST"),
            ("a POST of the page", "POST", "/", publish("Core.Firewall.ChangeState"), None, None, 405, "only GET"),
            ("another content type", "POST", "/api/publish", publish("Core.Firewall.ChangeState"),
             {"Content-Type": "text/plain"}, None, 415, "application/json"),
            ("another host name", "POST", "/api/publish", publish("Core.Firewall.ChangeState"), None,
             "panel.example:%d" % port, 421, "only requests to 127.0.0.1:%d" % port),
            ("another site's page", "POST", "/api/publish", publish("Core.Firewall.ChangeState"),
             dict(json_body, Origin="http://panel.example"), None, 403, "other origins"),
            ("a path it does not serve", "GET", "/../kiln.ini", None, {}, None, 404, "no such page"),
            ("an unknown module", "POST", "/api/modules/Nobody/unload", "{}", None, None, 404, "no module Nobody"),
        ]
        for what, method, path, body, headers, host, status, reason in cases:
            with self.subTest(what):
                got, allow, text = call(port, method, path, body, headers, host)
                self.assertEqual(status, got, text)
                self.assertIn(reason, text)
                self.assertEqual(1, text.count("\n"), "one line: " + text)
                if status == 405:
                    self.assertEqual("GET" if method == "POST" else "POST", allow)

        # What the bus carries from one publisher arrives in order, so once the
        # accepted message is printed, a refused one would have been printed before it.
        mark = len(self.host.lines)
        status, _, text = call(port, "POST", "/api/publish", publish("Core.Firewall.RefreshSmartAdvice", "{}"))
        self.assertEqual((200, '{"sent":true}'), (status, text))
        self.assertIsNotNone(self.host.wait_line(
            lambda line: line.startswith("bus: Core.Firewall.RefreshSmartAdvice [plain] from Panel"), 30, mark),
            self.host.output())
        refused = [line for line in self.host.lines if " from Panel" in line and
                   ("Core.Firewall.ChangeState" in line or "Core.Firewall.Shutdown" in line)]
        self.assertEqual([], refused)

    def test_answers_a_request_with_the_reply(self):
        status, _, text = call(self.host.port, "POST", "/api/request", publish("Core.Firewall.RefreshState", "{}"))
        self.assertEqual(200, status, text)
        answer = json.loads(text)
        self.assertTrue(answer["answered"], text)
        self.assertEqual(("Core.Firewall.State", "reply"), (answer["reply"]["name"], answer["reply"]["kind"]))
        self.assertEqual("on", json.loads(answer["reply"]["payload"])["state"])


class AddressTest(unittest.TestCase):
    def test_serves_no_address_but_127_0_0_1(self):
        for address in ("0.0.0.0:8750", "localhost:8750"):
            with self.subTest(address):
                run = subprocess.run([os.path.join(ROOT, "cmake", "wine-run"), os.path.join(BUILD, "bin", "Kiln.exe"),
                                      "--panel", address], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                     timeout=20)
                self.assertEqual(2, run.returncode, run.stdout)
                self.assertIn("--panel needs 127.0.0.1:PORT", run.stdout)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
