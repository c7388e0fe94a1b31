#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Opens a web page of the game (scripts/web.sh) in headless Chromium and waits for the title.

    /usr/bin/python3 tests/web_title_check.py [PAGE_FOLDER] [--screenshot PNG] [--timeout S]

The folder (default build-web/pages/xl) is served from 127.0.0.1 by a server of this script's
own. The title counts as shown once the game's canvas is mostly drawn in many colours (the
loading text and a blank or one-coloured canvas are not); the page is then photographed
(default: build-web/title-EDITION.png). Prints the time from opening the page to the title and
the bytes the page downloaded. With --url ADDRESS the page is opened there instead (a highscore
server's /play/EDITION/), and the bytes are those that went over the wire. Exit status 0 when the title came, 1 when it did not (the
page's console is printed), 2 when the check cannot run.

Needs Debian's chromium, chromium-driver and python3-selenium (the Debian python: the system's
/usr/bin/python3, not another one on the path).
"""
import argparse
import functools
import http.server
import os
import sys
import threading
import time

try:
    from selenium import webdriver
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("web_title_check: python3-selenium is missing (run with /usr/bin/python3)", file=sys.stderr)
    sys.exit(2)

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The share of the canvas that must be drawn (not black), and the number of distinct colours
# (in steps of 16 per channel) it must show, for a picture to count as the title.
DRAWN_SHARE = 0.25
COLOURS = 24

# Measures the canvas as the screenshot shows it (the compositor's picture, whatever the game
# draws with): the drawn share and the distinct colours. Runs in the page.
MEASURE = """
const done = arguments[arguments.length - 1];
const shot = arguments[0];
const canvas = document.getElementById('canvas');
const box = canvas.getBoundingClientRect();
const scale = window.devicePixelRatio || 1;
const img = new Image();
img.onload = () => {
  const w = Math.max(1, Math.floor(box.width * scale)), h = Math.max(1, Math.floor(box.height * scale));
  const c = document.createElement('canvas');
  c.width = w; c.height = h;
  const g = c.getContext('2d');
  g.drawImage(img, box.left * scale, box.top * scale, w, h, 0, 0, w, h);
  const px = g.getImageData(0, 0, w, h).data;
  let drawn = 0, all = 0;
  const colours = new Set();
  for (let i = 0; i < px.length; i += 4 * 7) {  // every 7th pixel is plenty
    ++all;
    if (px[i] + px[i + 1] + px[i + 2] > 24) ++drawn;
    colours.add((px[i] >> 4) << 8 | (px[i + 1] >> 4) << 4 | (px[i + 2] >> 4));
  }
  done({drawn: all ? drawn / all : 0, colours: colours.size, width: box.width, height: box.height});
};
img.onerror = () => done(null);
img.src = 'data:image/png;base64,' + shot;
"""


class CountingHandler(http.server.SimpleHTTPRequestHandler):
    """Serves the page folder quietly and counts the bytes of the files it sends."""

    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".data": "application/octet-stream"}
    sent = 0
    lock = threading.Lock()

    def copyfile(self, source, outputfile):
        while chunk := source.read(1 << 16):
            outputfile.write(chunk)
            with CountingHandler.lock:
                CountingHandler.sent += len(chunk)

    def log_message(self, *args):
        pass


def start_chromium(*flags):
    """Debian's headless Chromium under chromedriver, with WebGL in software and the page's
    console kept; flags are added to the usual ones. Sound starts on a click, as for a player."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 "--window-size=1024,768", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", *flags):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page", nargs="?", default=os.path.join(TOP, "build-web", "pages", "xl"))
    parser.add_argument("--screenshot")
    parser.add_argument("--timeout", type=float, default=90)
    parser.add_argument("--url", help="open this address (a highscore server's /play/EDITION/) "
                        "instead of serving the folder")
    args = parser.parse_args()
    page = os.path.abspath(args.page)
    if not args.url and not os.path.isfile(os.path.join(page, "index.html")):
        print(f"web_title_check: no page in {page} (run scripts/web.sh)", file=sys.stderr)
        return 2
    edition = os.path.basename(args.url.rstrip("/")) if args.url else os.path.basename(page)
    shot_path = args.screenshot or os.path.join(TOP, "build-web", f"title-{edition}.png")

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(CountingHandler, directory=page))
    serving = threading.Thread(target=server.serve_forever, daemon=True)
    serving.start()
    address = args.url or f"http://127.0.0.1:{server.server_address[1]}/index.html"

    try:
        driver = start_chromium()
    except WebDriverException as error:
        print(f"web_title_check: Chromium does not start: {error.msg}", file=sys.stderr)
        server.shutdown()
        return 2

    console = []
    ok = False
    try:
        driver.set_script_timeout(20)
        opened = time.monotonic()
        driver.get(address)
        seen = None
        while time.monotonic() - opened < args.timeout:
            console += driver.get_log("browser")
            if any("Aborted" in entry["message"] or "stopped:" in entry["message"]
                   for entry in console):
                break
            measure = driver.execute_async_script(MEASURE, driver.get_screenshot_as_base64())
            if measure and measure["drawn"] >= DRAWN_SHARE and measure["colours"] >= COLOURS:
                seen = time.monotonic() - opened
                break
            time.sleep(0.25)
        if seen is not None:
            # The fade-in ends; the picture kept is the title as it stands.
            time.sleep(1.5)
            ok = True
        driver.save_screenshot(shot_path)
        console += driver.get_log("browser")
        with CountingHandler.lock:
            sent = CountingHandler.sent
        if args.url:
            # What went over the wire, compressed where the server compressed it.
            sent = driver.execute_script(
                "return performance.getEntriesByType('navigation').concat("
                "performance.getEntriesByType('resource')).reduce((n, e) => n + e.transferSize, 0);")
        if ok:
            print(f"web_title_check: the title came {seen:.1f} s after the page was opened "
                  f"({measure['colours']} colours over {measure['drawn']:.0%} of the "
                  f"{measure['width']:.0f} x {measure['height']:.0f} canvas)")
        else:
            print(f"web_title_check: no title within {args.timeout:.0f} s", file=sys.stderr)
        print(f"web_title_check: {sent} bytes downloaded; screenshot {shot_path}")
    finally:
        driver.quit()
        server.shutdown()
        server.server_close()
    if not ok or os.environ.get("GRUMBOLDX_WEB_CONSOLE"):
        for entry in console:
            print(f"console {entry['level']}: {entry['message']}", file=sys.stderr)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
