#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A listed game's page in a real browser: headless Chromium, driven by chromedriver, opens an
edition's list, follows the first entry's link to its game page, waits for the video, checks that
it loads with the game's length and plays, that both charts are there, and takes a screenshot.

    browser_game_page.py BASE_URL EDITION SECONDS SCREENSHOT.png

SECONDS is the game's length; the video's duration must match it within a quarter second.
Exit 0 when every check holds, 1 with the failed check on stderr otherwise."""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By


def fail(message):
    print("browser: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def main():
    if len(sys.argv) != 5:
        fail("usage: browser_game_page.py BASE_URL EDITION SECONDS SCREENSHOT.png")
    base, edition, seconds, screenshot = sys.argv[1].rstrip("/"), sys.argv[2], float(sys.argv[3]), sys.argv[4]
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--mute-audio", "--autoplay-policy=no-user-gesture-required",
                 "--window-size=1100,1500", "--no-first-run", "--disable-extensions"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.set_page_load_timeout(30)
        driver.get(base + "/list/" + edition)
        links = driver.find_elements(By.CSS_SELECTOR, "a[href*='/game/']")
        if not links:
            fail("the list page links no game page")
        page = links[0].get_attribute("href")
        driver.get(page)

        # The video may still be rendering: the page says so and is loaded again until it is there.
        def video_ready():
            found = driver.find_elements(By.TAG_NAME, "video")
            if not found:
                time.sleep(1)
                driver.get(page)
            return found
        wait_for("the video on " + page, video_ready, 240)
        charts = driver.find_elements(By.CSS_SELECTOR, "svg")
        if len(charts) < 2:
            fail("expected two charts on the page, found %d" % len(charts))
        for chart in charts:
            if not chart.find_elements(By.CSS_SELECTOR, "polyline, path, rect, circle, line"):
                fail("a chart draws nothing")

        state = lambda script: driver.execute_script("const v = document.querySelector('video'); " + script)
        wait_for("the video's metadata", lambda: state("return v.readyState >= 1 || v.error !== null;"), 30)
        if state("return v.error !== null;"):
            fail("the video does not load: error %s" % state("return v.error.code;"))
        duration = state("return v.duration;")
        if abs(duration - seconds) > 0.25:
            fail("the video lasts %.3f s, the game %.3f s" % (duration, seconds))
        size = state("return [v.videoWidth, v.videoHeight];")
        if size != [800, 600]:
            fail("the video is %s, not 800 x 600" % size)
        state("v.muted = true; v.currentTime = 30; v.play();")
        first = wait_for("the video to play", lambda: state("return v.currentTime > 30.2 && v.currentTime;"), 30)
        later = wait_for("the video to go on playing",
                         lambda: state("return v.currentTime > %f && v.currentTime;" % (first + 0.5)), 30)
        if state("return v.paused || v.error !== null;"):
            fail("the video stopped")
        state("v.pause();")
        driver.save_screenshot(screenshot)
        print("browser: %s plays %.3f s of video (at %.2f s), %d charts" % (page, duration, later, len(charts)))
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
