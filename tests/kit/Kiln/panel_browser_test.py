"""The firewall panel in a real browser: headless Chromium driven through
chromedriver against Kiln.exe, which serves the panel over the kit's real bus,
settings service, component and firewall module. Every value checked on the
page came back from the module over the bridge's event stream. A screenshot of
the panel is left in BUILD_DIR/panel.png on every run.

usage: panel_browser_test.py BUILD_DIR SOURCE_DIR
"""

import os
import shutil
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException, TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

from panel_host import PanelHost

BUILD, ROOT = sys.argv[1], sys.argv[2]
DEADLINE_S = 20
PROGRAM = "C:\\Tools\\panel-check.exe"

# Chromium must not look for the network, which this machine does not have.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1120,800"]

# The text of one member of the latest answer the page shows for a message.
ANSWER_VALUE = """
const slot = document.querySelector(`[data-message="${arguments[0]}"]`);
for (const term of slot ? slot.querySelectorAll("dt") : []) {
  if (term.textContent === arguments[1]) return term.nextElementSibling.textContent;
}
return null;"""

# The ids of the listed program permissions whose row names the file.
PROGRAM_IDS = """
const rows = document.querySelectorAll('[data-message="Core.Firewall.Component.ProgramPermissions"] tbody tr');
return [...rows].filter((row) => row.textContent.includes(arguments[0])).map((row) => row.dataset.id);"""


class PanelInBrowserTest(unittest.TestCase):
    def setUp(self):
        self.started = time.monotonic()
        self.host = PanelHost(BUILD, ROOT, os.path.join(BUILD, "tests", "panel-browser")).start()
        self.profile = tempfile.mkdtemp(prefix="panel-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    def tearDown(self):
        try:
            self.driver.execute_script("window.scrollTo(0, 0)")
            self.driver.save_screenshot(os.path.join(BUILD, "panel.png"))
        finally:
            self.driver.quit()
            shutil.rmtree(self.profile, ignore_errors=True)
            self.host.stop()
        print("panel browser test: %.1f s" % (time.monotonic() - self.started))

    # --- looking at the page ---------------------------------------------------

    def wait(self, what, condition):
        try:
            # The page redraws what the module sends, so an element found may be gone a moment later.
            return WebDriverWait(self.driver, DEADLINE_S, ignored_exceptions=(
                NoSuchElementException, StaleElementReferenceException)).until(lambda _: condition())
        except TimeoutException:
            raise AssertionError("no %s within %d s; host output:\n%s" % (what, DEADLINE_S, self.host.output()))

    def form(self, request):
        return self.driver.find_element(By.CSS_SELECTOR, 'form[data-request="%s"]' % request)

    def field(self, request, key):
        label = self.form(request).find_element(By.XPATH, './/label[text()="%s"]' % key)
        return self.driver.find_element(By.ID, label.get_attribute("for"))

    def result(self, request):
        element = self.form(request).find_element(By.CSS_SELECTOR, ".result")
        return element.get_attribute("class").split()[-1], element.text

    def answer(self, message, key):
        return self.driver.execute_script(ANSWER_VALUE, message, key)

    def wait_result(self, request, state, *texts):
        def shown():
            got, text = self.result(request)
            return got == state and all(part in text for part in texts)
        self.wait("%s result of %s showing %s" % (state, request, texts), shown)

    def program_ids(self, name):
        return self.driver.execute_script(PROGRAM_IDS, name)

    def click(self, selector):
        self.driver.find_element(By.CSS_SELECTOR, selector).click()
        return True

    def module_state(self, name):
        return self.driver.find_element(By.CSS_SELECTOR, 'li[data-module="%s"]' % name).get_attribute("class")

    # --- the scenario ----------------------------------------------------------

    def test_drives_the_firewall_through_the_panel(self):
        driver = self.driver
        driver.get(self.host.url)
        self.wait("live stream", lambda: driver.find_element(By.ID, "link").text == "live")
        self.wait("firewall state from the module", lambda: self.answer("Core.Firewall.State", "state") == "on")
        self.assertIn("TarnModule", driver.find_element(By.CSS_SELECTOR, '[data-message="Core.Firewall.State"] h3').text)

        # The switch, from the keyboard: the module announces the new state.
        switch = self.form("Core.Firewall.ChangeState").find_element(By.CSS_SELECTOR, 'input[role="switch"]')
        self.assertTrue(switch.is_selected(), "the switch shows the module's state")
        switch.send_keys(Keys.SPACE)
        self.wait("state off from the module", lambda: self.answer("Core.Firewall.State", "state") == "off")
        self.wait_result("Core.Firewall.ChangeState", "ok", '"state":"off"')
        self.assertFalse(switch.is_selected())

        # The security level: set with Enter, then read back by the refresh request.
        Select(self.field("Core.Firewall.UpdateTrafficController", "traffic_controller")).select_by_value("stealth")
        self.field("Core.Firewall.UpdateTrafficController", "traffic_controller").send_keys(Keys.ENTER)
        self.wait_result("Core.Firewall.UpdateTrafficController", "ok", '"Successful":true', '"feature_id":1')
        refresh = "Core.Firewall.RefreshTrafficController"
        driver.execute_script("arguments[0].textContent = ''", self.form(refresh).find_element(By.CSS_SELECTOR, ".result"))
        self.form(refresh).find_element(By.TAG_NAME, "button").click()
        self.wait_result(refresh, "ok", '{"traffic_controller":"stealth"}')
        self.assertEqual("stealth", self.answer("Core.Firewall.TrafficController", "traffic_controller"))

        # A program permission: added through its form, listed, deleted from its row.
        add = "Core.Firewall.AddProgramInternetConnection"
        self.field(add, "program_filename").send_keys(PROGRAM)
        self.field(add, "permission").clear()
        self.field(add, "permission").send_keys("1")
        self.field(add, "permission").send_keys(Keys.ENTER)
        self.wait("the new program listed", lambda: self.program_ids(PROGRAM))
        [program_id] = self.program_ids(PROGRAM)
        self.wait("a Delete button", lambda: self.click('button[aria-label="Delete programs %s"]' % program_id))
        self.wait("the program gone from the list", lambda: not self.program_ids(PROGRAM))
        self.wait_result("Core.Firewall.DeleteProgramInternetConnection", "ok", '"Successful":true',
                         '"id_list":"%s"' % program_id)

        # Refusals: the component's answer to an unknown program, and the
        # module's silence on a word the schema does not list.
        edit = "Core.Firewall.EditProgramInternetConnection"
        self.field(edit, "program_id").clear()
        self.field(edit, "program_id").send_keys("999", Keys.ENTER)
        self.wait_result(edit, "refused", '"Successful":false', '"id_list":"999"')
        update = self.form("Core.Firewall.UpdateTrafficController")
        update.find_element(By.TAG_NAME, "summary").send_keys(Keys.ENTER)
        payload = update.find_element(By.TAG_NAME, "textarea")
        payload.clear()
        payload.send_keys('{"traffic_controller":"Stealth"}', Keys.CONTROL, Keys.ENTER)
        self.wait_result("Core.Firewall.UpdateTrafficController", "silent", "no answer within",
                         "the schema would refuse it")
        problems = [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        self.assertEqual([], problems)

        # The module unloaded from the panel shows as such; the rest keeps working.
        self.wait("an Unload button", lambda: self.click('button[aria-label="unload TarnModule"]'))
        self.wait("TarnModule unloaded", lambda: self.module_state("TarnModule") == "stopped")
        self.assertTrue(driver.find_element(By.ID, "module-banner").is_displayed())
        self.assertEqual("running", self.module_state("SettingsManager"))
        self.wait("a Load button", lambda: self.click('button[aria-label="load TarnModule"]'))
        self.wait("TarnModule loaded again", lambda: self.module_state("TarnModule") == "running")
        self.wait("the banner gone", lambda: not driver.find_element(By.ID, "module-banner").is_displayed())

        # The host goes away and comes back: the page says so, reconnects and reads the state again.
        driver.execute_script("document.querySelector('[data-message=\"Core.Firewall.State\"]').replaceChildren()")
        self.assertEqual(0, self.host.stop())
        self.wait("the page showing the lost stream", lambda: "disconnected" in driver.find_element(By.ID, "link").text)
        self.host.start(fresh=False)
        self.wait("the stream back", lambda: driver.find_element(By.ID, "link").text == "live")
        self.wait("the state read again", lambda: self.answer("Core.Firewall.State", "state") == "off")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
