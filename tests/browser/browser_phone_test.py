#!/usr/bin/python3
"""The browser phone as a person uses it, in headless Chromium: the page
opens, the welcome alert is tapped on the phone's screen, a touch shot and a
steady shot are taken by clicking the screen and pressing the motion keys,
and both pictures appear in the camera roll with their positions; then a run
report opens offline. Screenshots of the page and the report are left in
--out for a person to look at."""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ARGS = None
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1400,1000"]


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + profile)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class BrowserPhone(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="holdstill-browser-")
        os.makedirs(ARGS.out, exist_ok=True)
        self.server = subprocess.Popen([ARGS.holdstill, "serve", "--port", "0", "--device", self.work + "/phone"],
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.url = None
        for line in self.server.stdout:
            found = re.search(r"serving the phone at (http://\S+/)", line)
            if found:
                self.url = found.group(1)
                break
        self.assertIsNotNone(self.url, "the server did not say where it serves")
        self.driver = browser(self.work + "/profile")

    def tearDown(self):
        self.driver.quit()
        if self.server.poll() is None:
            self.server.send_signal(signal.SIGINT)
            self.server.wait(timeout=60)
        shutil.rmtree(self.work, ignore_errors=True)

    def state(self):
        with urllib.request.urlopen(self.url + "api/state") as answer:
            return json.load(answer)

    def wait_for(self, condition, what, seconds=60):
        return WebDriverWait(self.driver, seconds, poll_frequency=0.1).until(
            lambda _: condition(), message="waiting for " + what)

    def tap_screen(self, x, y):
        """Clicks the phone's screen image at a point of the 320 x 480 screen."""
        screen = self.driver.find_element(By.ID, "screen")
        size = screen.size
        ActionChains(self.driver).move_to_element_with_offset(
            screen, x * size["width"] / 320 - size["width"] / 2, y * size["height"] / 480 - size["height"] / 2
        ).click().perform()

    def roll_positions(self):
        # Read in one go: the list is rebuilt whenever the roll changes.
        return self.driver.execute_script(
            "return [...document.querySelectorAll('#roll .position')].map(e => e.textContent)")

    def test_page_takes_a_touch_shot_and_a_steady_shot_with_gps_and_the_report_opens(self):
        driver = self.driver
        driver.get(self.url)
        self.wait_for(lambda: driver.find_element(By.ID, "connection").text == "live", "the live feed")
        self.wait_for(lambda: driver.execute_script(
            "const s = document.getElementById('screen'); return s.complete && s.naturalWidth == 320"),
            "the first frame")
        # The welcome alert's button, tapped where the phone shows it.
        alert = self.wait_for(lambda: self.state()["alerts"], "the welcome alert")
        x, y, w, h = alert[0]["buttons"][0]["frame"]
        self.tap_screen(x + w / 2, y + h / 2)
        self.wait_for(lambda: self.state()["cameraOpen"] and not self.state()["alerts"], "the camera")
        self.wait_for(lambda: self.state()["badge"] and "GPS:" in self.state()["badge"], "a GPS fix on the badge")

        # A touch shot.
        self.tap_screen(200, 240)
        self.wait_for(lambda: any("N," in p for p in self.roll_positions()), "the touch shot with its position")

        # A steady shot: steady mode on, shake (S) while touching, then hold still (H).
        self.wait_for(lambda: self.state()["cameraOpen"], "the camera again")
        body = driver.find_element(By.TAG_NAME, "body")
        body.send_keys("s")
        self.wait_for(lambda: self.state()["motion"]["motion"] == "shake", "shaking")
        self.tap_screen(293, 44)
        self.wait_for(lambda: self.state()["steadyMode"], "steady mode")
        self.tap_screen(200, 240)
        time.sleep(1)
        body.send_keys("h")
        self.wait_for(lambda: sum("N," in p for p in self.roll_positions()) == 2, "the steady shot with its position")
        items = driver.find_elements(By.CSS_SELECTOR, "#roll li")
        for item in items:
            self.assertTrue(item.find_element(By.TAG_NAME, "img").get_attribute("naturalWidth") not in ("0", None))
            self.assertIn("openstreetmap.org/?mlat=", item.find_element(By.LINK_TEXT, "OpenStreetMap").get_attribute("href"))
        log = driver.find_element(By.ID, "log").text
        self.assertIn("shutter pressed (steady shot)", log)
        driver.save_screenshot(os.path.join(ARGS.out, "page.png"))

        # Switched off from the API: the phone ends cleanly, both pictures whole.
        urllib.request.urlopen(urllib.request.Request(self.url + "api/quit", data=b"", method="POST"))
        self.assertEqual(self.server.wait(timeout=60), 0)
        self.wait_for(lambda: "switched off" in driver.find_element(By.ID, "connection").text, "the end on the page")
        roll = os.path.join(self.work, "phone/private/var/mobile/Media/DCIM/100APPLE")
        self.assertEqual(sorted(os.listdir(roll)), ["IMG_0001.JPG", "IMG_0002.JPG"])
        for name in os.listdir(roll):
            with open(os.path.join(roll, name), "rb") as picture:
                self.assertTrue(picture.read().endswith(b"\xff\xd9"), name)

        # The report of a run, opened from its folder.
        report = os.path.join(self.work, "report")
        run = subprocess.run([ARGS.holdstill, "run", "--report", report], capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        driver.get("file://" + report + "/index.html")
        rows = driver.find_elements(By.CSS_SELECTOR, "table tr")
        self.assertGreater(len(rows), 20)
        shots = driver.find_elements(By.CSS_SELECTOR, "td.shot img")
        self.assertEqual(len(shots), len(rows))
        pictures = driver.find_elements(By.CSS_SELECTOR, ".roll li img")
        self.assertEqual(len(pictures), 2)
        driver.execute_script("document.querySelectorAll('img').forEach(i => i.loading = 'eager')")
        self.wait_for(lambda: all(driver.execute_script("return arguments[0].complete && arguments[0].naturalWidth > 0", i)
                                  for i in shots + pictures), "the report's pictures")
        self.assertIn("Exit status 0", driver.find_element(By.TAG_NAME, "body").text)
        driver.set_window_size(1200, 2400)
        driver.save_screenshot(os.path.join(ARGS.out, "report.png"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--holdstill", required=True)
    parser.add_argument("--out", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
