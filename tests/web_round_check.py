#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole round of the browser edition in headless Chromium, against a highscore server.

    /usr/bin/python3 tests/web_round_check.py [--pages DIR] [--shots DIR]

Starts build/bin/grumboldx-server on 127.0.0.1 (a scratch database, the pages of scripts/web.sh
from DIR, default build-web/pages), registers a player, and opens /play/xl/ in Chromium:
  1. the title shows; the "Click to play" layer takes the first click (full screen and sound; the
     test's page refuses the pointer lock, since its player points with mouse events at
     positions);
  2. a round is played with the mouse to its end, by a player in the page that shoots where the
     picture moves and reloads after eight shots; the name is typed on the keyboard into the table;
  3. the table and the recording are in the browser's IndexedDB;
  4. the table's send button sends the result through the upload form over the canvas (the
     browser's fetch to the page's own server): the form shows the server's verified answer, and
     the list shows the entry; the form's link to the list opens it in a new tab there;
  5. after a reload of the page the game reads the kept table back and accepts it;
  6. with the lock allowed (?lock), the first click locks the pointer, takes the page to full
     screen and starts the sound; movements then move the crosshair, and a click lands where it
     is;
  7. the recording kept in the browser replays in the native game (-replay, exit 0) to the score
     the server listed.
Screenshots of the title, the round and the form go to --shots (default build-web/round-check).
Exit 0 when every check holds, 1 with the failed check on stderr, 2 when it cannot run.

Needs Debian's chromium, chromium-driver and python3-selenium (run with /usr/bin/python3).
"""
import argparse
import base64
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

try:
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
except ImportError:
    print("web_round_check: python3-selenium is missing (run with /usr/bin/python3)", file=sys.stderr)
    sys.exit(2)

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tests"))
from web_title_check import COLOURS, DRAWN_SHARE, MEASURE, start_chromium  # noqa: E402

PLAYER, PASSWORD, NAME = "Webspieler", "geheim12", "Netz"
FOLDER = "/home/web_user/.local/share"
TABLE = FOLDER + "/grumboldx/xl/highscores.txt"
RECORDING = FOLDER + "/grumboldx/xl/lastgame.rec"
LOG = "/home/web_user/.local/state/grumboldx/debug.txt"

# A file the page keeps in IndexedDB, as base64 (null when it is not there). Runs in the page.
READ_KEPT = """
const done = arguments[arguments.length - 1];
const open = indexedDB.open(arguments[0]);
open.onerror = () => done(null);
open.onsuccess = () => {
  const db = open.result;
  if (!db.objectStoreNames.contains('FILE_DATA')) return done(null);
  const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get(arguments[1]);
  get.onerror = () => done(null);
  get.onsuccess = () => {
    const entry = get.result;
    if (!entry || !entry.contents) return done(null);
    const bytes = new Uint8Array(entry.contents);
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    done(btoa(text));
  };
};
"""


class Failed(Exception):
    pass


def wait_for(what, check, seconds, step=0.25):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(step)
    raise Failed("timed out waiting for " + what)


# Before the page's own scripts: the game's WebGL canvas keeps its picture after it was shown, so
# the player below can look at it (a browser clears it otherwise); and, unless the address asks
# for the lock (?lock), the page does not get the pointer locked, as in a browser that refuses
# the lock: the player below points with mouse events at positions, which a locked pointer
# would ignore (only movements count then).
PAGE_SETUP = """
const getContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function (type, attributes) {
  if (/webgl/.test(type)) attributes = Object.assign({}, attributes, {preserveDrawingBuffer: true});
  return getContext.call(this, type, attributes);
};
if (!/[?&]lock\\b/.test(location.search))
  Element.prototype.requestPointerLock = function () { return Promise.reject(new Error('refused')); };
"""

# The player, in the page: mouse events on the canvas at the game's picture coordinates (the
# driver's own input takes a second or more per action while the game runs on a software
# renderer), and a round played by looking at the canvas: every 50 ms it compares the picture
# with the one before and shoots where the most has moved (a chicken, as a rule), leaving out
# the score and time, the cartridges, the crosshair and the places it has just shot at; after
# eight shots it reloads.
PLAYER_JS = """
const canvas = document.getElementById('canvas');
const place = () => {
  const r = canvas.getBoundingClientRect(), s = Math.min(r.width / 800, r.height / 600);
  return {r, s, left: r.left + (r.width - 800 * s) / 2, top: r.top + (r.height - 600 * s) / 2};
};
const send = (type, x, y, button) => {
  const p = place();
  canvas.dispatchEvent(new MouseEvent(type, {clientX: p.left + (x + 0.5) * p.s, clientY: p.top + (y + 0.5) * p.s,
    button: button || 0, buttons: type === 'mousedown' ? (button === 2 ? 2 : 1) : 0, bubbles: true,
    cancelable: true, view: window}));
};
// A part of the picture (x, y, w, h in picture pixels) scaled to W x H pixels, as RGBA bytes.
const region = (x, y, w, h, W, H) => {
  const grab = document.createElement('canvas');
  grab.width = W; grab.height = H;
  const g = grab.getContext('2d', {willReadFrequently: true});
  const p = place(), k = canvas.width / p.r.width;
  g.drawImage(canvas, (p.left - p.r.left + x * p.s) * k, (p.top - p.r.top + y * p.s) * k, w * p.s * k, h * p.s * k,
              0, 0, W, H);
  return g.getImageData(0, 0, W, H).data;
};
const T = window.grumboldxPlayer = {shots: 0, reloads: 0, done: false};
T.click = (x, y, button) => {
  send('mousemove', x, y);
  send('mousedown', x, y, button);
  setTimeout(() => send('mouseup', x, y, button), 30);
};
// A button of the game's screens: the pointer rests on it for a moment first, as a hand's does.
T.press = (x, y) => {
  send('mousemove', x, y);
  setTimeout(() => send('mousedown', x, y, 0), 250);
  setTimeout(() => send('mouseup', x, y, 0), 350);
};
// The locked pointer: a movement by (dx, dy) picture pixels, in steps of the page's pixels (the
// game scales them back), and a click wherever the crosshair is.
T.nudge = (dx, dy, steps) => {
  const s = place().s;
  let x = 0, y = 0;
  for (let i = 1; i <= steps; ++i) {
    const nx = Math.round(dx * s * i / steps), ny = Math.round(dy * s * i / steps);
    canvas.dispatchEvent(new MouseEvent('mousemove', {movementX: nx - x, movementY: ny - y, bubbles: true,
      cancelable: true, view: window}));
    x = nx; y = ny;
  }
};
T.clickLocked = () => {
  canvas.dispatchEvent(new MouseEvent('mousedown', {button: 0, buttons: 1, bubbles: true, view: window}));
  setTimeout(() => canvas.dispatchEvent(new MouseEvent('mouseup', {button: 0, bubbles: true, view: window})), 100);
};
// Where the crosshair is in a part of the picture (x, y, w, h in picture pixels): the middle
// of its red pixels, or null when there are too few.
T.crosshair = (x, y, w, h) => {
  const px = region(x, y, w, h, w, h);
  let n = 0, sx = 0, sy = 0;
  for (let i = 0; i < px.length; i += 4)
    if (px[i] > 170 && px[i + 1] < 80 && px[i + 2] < 80) { ++n; sx += (i / 4) % w; sy += Math.floor(i / 4 / w); }
  return n < 20 ? null : [x + sx / n, y + sy / n, n];
};
// The picture as 80 x 60 grey levels.
T.picture = () => {
  const px = region(0, 0, 800, 600, 80, 60), grey = [];
  for (let i = 0; i < px.length; i += 4) grey.push((px[i] + px[i + 1] + px[i + 2]) / 3);
  return grey;
};
T.play = (seconds) => {
  const W = 160, H = 120, cell = 5;
  let last = null, cursor = [400, 300], loaded = 8, pause = 0;
  const recent = [];
  const started = performance.now();
  const tick = () => {
    const now = performance.now();
    if (now - started > seconds * 1000) { T.done = true; return; }
    setTimeout(tick, 50);
    const px = region(0, 0, 800, 600, W, H);
    const before = last;
    last = px;
    if (!before || now < pause) return;
    if (loaded === 0) {
      T.click(400, 300, 2);
      T.reloads++;
      loaded = 8;
      pause = now + 350;
      return;
    }
    while (recent.length && now - recent[0][2] > 1200) recent.shift();
    const near = (x, y, list, d) => list.some((q) => Math.abs(q[0] - x) < d && Math.abs(q[1] - y) < d);
    let best = 0, at = null;
    for (let cy = 1; cy < H - 1; ++cy) {
      const y = cy * cell;
      if (y < 60 || y > 480) continue;
      for (let cx = 1; cx < W - 1; ++cx) {
        const x = cx * cell;
        if (x > 500 && y > 440) continue;
        let moved = 0;
        for (let dy = -1; dy <= 1; ++dy)
          for (let dx = -1; dx <= 1; ++dx) {
            const i = ((cy + dy) * W + cx + dx) * 4;
            moved += Math.abs(px[i] - before[i]) + Math.abs(px[i + 1] - before[i + 1]) + Math.abs(px[i + 2] - before[i + 2]);
          }
        if (moved > best && !near(x, y, [cursor], 35) && !near(x, y, recent, 45)) { best = moved; at = [x, y]; }
      }
    }
    if (!at || best < 600) return;
    T.click(at[0], at[1]);
    cursor = at;
    recent.push([at[0], at[1], now]);
    T.shots++;
    loaded--;
    pause = now + 120;
  };
  tick();
};
"""


class Game:
    """The page in the browser; the mouse over the canvas comes from the player in the page."""

    def __init__(self, driver):
        self.driver = driver

    def open(self, address):
        self.driver.get(address)

        def title():
            m = self.driver.execute_async_script(MEASURE, self.driver.get_screenshot_as_base64())
            return m and m["drawn"] >= DRAWN_SHARE and m["colours"] >= COLOURS
        wait_for("the title", title, 60)
        time.sleep(1.5)  # the fade-in ends
        self.driver.execute_script(PLAYER_JS)

    def press(self, x, y):
        """Presses the game's button at picture point (x, y)."""
        self.driver.execute_script("grumboldxPlayer.press(arguments[0], arguments[1])", x, y)
        time.sleep(0.6)

    def picture(self):
        """The game's picture as 80 x 60 grey levels."""
        return self.driver.execute_script("return grumboldxPlayer.picture()")

    def keep(self, path):
        return self.driver.execute_async_script(READ_KEPT, FOLDER, path)


def differ(a, b):
    """The mean difference of two pictures' grey levels (0 to 255)."""
    return sum(abs(x - y) for x, y in zip(a, b)) / max(1, len(a))


def start_server(scratch, pages):
    server_bin = os.path.join(TOP, "build", "bin", "grumboldx-server")
    port_file = os.path.join(scratch, "port")
    log = open(os.path.join(scratch, "server.log"), "w")
    process = subprocess.Popen(
        [server_bin, "--port", "0", "--port-file", port_file, "--db", os.path.join(scratch, "highscores.db"),
         "--archives", os.path.join(TOP, "build", "data"), "--verifiers", "1", "--listen", "127.0.0.1",
         "--rate", "0", "--render-workers", "0", "--web", pages],
        stdout=log, stderr=subprocess.STDOUT)
    port = wait_for("the server's port", lambda: os.path.exists(port_file) and open(port_file).read().strip(), 20)
    base = f"http://127.0.0.1:{port}"
    form = urllib.parse.urlencode({"name": PLAYER, "password": PASSWORD, "password2": PASSWORD,
                                   "edition": "xl"}).encode()
    with urllib.request.urlopen(base + "/register", form) as reply:
        if reply.status != 201:
            raise Failed(f"registering answered {reply.status}")
    return process, base


def play_round(game, shots):
    """Clicks the start button and has the player in the page play until the round is over."""
    game.press(200, 540)
    time.sleep(2.5)  # the scene comes in
    game.driver.save_screenshot(os.path.join(shots, "round-start.png"))
    game.driver.execute_script("grumboldxPlayer.play(93)")
    time.sleep(30)
    game.driver.save_screenshot(os.path.join(shots, "round.png"))
    wait_for("the round's end", lambda: game.driver.execute_script("return grumboldxPlayer.done"), 90, 1)
    return game.driver.execute_script("return grumboldxPlayer.shots")


def frame_figures(driver):
    """The round's frame statistics from the game's log (one line a second): the medians over
    the seconds of the frames a second, the composing and the presenting time."""
    log = driver.execute_script("const f = Module.grumboldxFile(arguments[0]);"
                                "return f && new TextDecoder().decode(f);", LOG) or ""
    seconds = [tuple(float(v) for v in m.groups()) for m in re.finditer(
        r"frame stats: (\d+) frames; compose ([\d.]+) ms median, [\d.]+ worst; present ([\d.]+) /", log)]
    if not seconds:
        return "no frame statistics in the game's log"
    middle = lambda values: sorted(values)[len(values) // 2]
    return (f"frames: {len(seconds)} seconds logged, median {middle([s[0] for s in seconds]):.0f} frames a second "
            f"(lowest {min(s[0] for s in seconds):.0f}), compose {middle([s[1] for s in seconds]):.2f} ms, "
            f"present {middle([s[2] for s in seconds]):.2f} ms (medians)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pages", default=os.path.join(TOP, "build-web", "pages"))
    parser.add_argument("--shots", default=os.path.join(TOP, "build-web", "round-check"))
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.pages, "xl", "index.html")):
        print(f"web_round_check: no XL page in {args.pages} (run scripts/web.sh xl)", file=sys.stderr)
        return 2
    os.makedirs(args.shots, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="grumboldx-web-round-")
    server = driver = None
    try:
        server, base = start_server(scratch, os.path.abspath(args.pages))
        try:
            driver = start_chromium("--mute-audio", "--lang=en-GB",
                                    f"--user-data-dir={os.path.join(scratch, 'browser')}")
        except WebDriverException as error:
            print(f"web_round_check: Chromium does not start: {error.msg}", file=sys.stderr)
            return 2
        driver.set_script_timeout(20)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAGE_SETUP})
        game = Game(driver)

        # 1. The title, and the first click.
        game.open(base + "/play/xl/?stats")
        driver.save_screenshot(os.path.join(args.shots, "title.png"))
        driver.find_element(By.ID, "start").click()
        wait_for("the start layer to go", lambda: not driver.find_elements(By.ID, "start"), 5)
        time.sleep(1)  # the game has the focus back

        # 2. The round, and the name typed into the table.
        fired = play_round(game, args.shots)
        print(frame_figures(driver))
        driver.save_screenshot(os.path.join(args.shots, "name-entry.png"))
        ActionChains(driver).send_keys(NAME).perform()
        time.sleep(0.3)
        ActionChains(driver).send_keys("\ue007").perform()  # Enter
        time.sleep(1)
        driver.save_screenshot(os.path.join(args.shots, "table.png"))

        # 3. Kept in IndexedDB.
        table = wait_for("the table in IndexedDB",
                         lambda: (lambda kept: kept and base64.b64decode(kept).decode("utf-16-le", "replace"))(
                             game.keep(TABLE)), 10)
        entry = re.search(NAME + r" +(\d+)\n", table)
        if not entry:
            raise Failed(f"the kept table has no entry for {NAME} after {fired} shots:\n{table}")
        score = int(entry.group(1))
        recording = wait_for("the recording in IndexedDB", lambda: game.keep(RECORDING), 10)
        for name, kept in (("highscores.txt", table.encode("utf-16-le")), ("lastgame.rec", base64.b64decode(recording))):
            with open(os.path.join(args.shots, name), "wb") as f:
                f.write(kept)
        print(f"round played: {fired} shots, {score} points; table and recording kept")

        # 4. Sent through the form over the canvas, from the table the round ended in.
        game.press(260, 490)  # the table's send button
        wait_for("the upload form", lambda: driver.find_elements(By.ID, "grumboldx-dialog"), 10)
        driver.find_element(By.ID, "grumboldx-control-1000").send_keys(PLAYER)
        driver.find_element(By.ID, "grumboldx-control-1003").send_keys(PASSWORD)
        driver.find_element(By.ID, "grumboldx-control-1").click()
        answer = wait_for("the server's answer in the form", lambda: driver.execute_script(
            "const v = document.getElementById('grumboldx-view-1006'); return v && v.srcdoc;"), 60)
        time.sleep(1)  # the answer's frame paints
        driver.save_screenshot(os.path.join(args.shots, "form.png"))
        # The server replays the upload from its frame times (16.16 fixed point, not the exact
        # lengths), so a bonus on the edge of its time may not be confirmed: it then lists the
        # replay's points within its tolerance and says so ("instead of").
        listed = re.search(r'<h3 class="ok">[^<]*</h3><p>[^<]*<b>(\d+)</b>', answer)
        if not listed:
            raise Failed(f"the form does not show the result verified: {answer[:800]}")
        listed = int(listed.group(1))
        if listed != score and f"instead of {score}" not in answer:
            raise Failed(f"the form shows {listed} points for a game of {score}: {answer[:800]}")
        with urllib.request.urlopen(base + "/list/xl") as reply:
            listing = reply.read().decode("utf-8", "replace")
        if f">{PLAYER}</a></td><td class=\"num\">{listed}</td>" not in listing:
            raise Failed(f"the list does not show {PLAYER} with {listed} points")
        print(f"sent through the form: verified and listed with {listed} points (the game's own: {score})")
        # The form's link to the list opens in a new tab, on the server the page came from (the
        # game's own server's addresses name another).
        game_tab = driver.current_window_handle
        driver.find_element(By.ID, "grumboldx-control-1010").click()
        list_tab = wait_for("the list's tab", lambda: [h for h in driver.window_handles if h != game_tab], 10)[0]
        driver.switch_to.window(list_tab)
        wait_for("the list in its tab", lambda: driver.current_url.startswith(base + "/list/xl"), 10)
        print(f"the form's list link opened a new tab at {driver.current_url}")
        driver.close()
        driver.switch_to.window(game_tab)
        driver.find_element(By.ID, "grumboldx-control-2").click()
        wait_for("the form to close", lambda: not driver.find_elements(By.ID, "grumboldx-dialog"), 10)

        # 5. After a reload the game reads the kept table back and accepts it.
        game.open(base + "/play/xl/")
        driver.find_element(By.ID, "start").click()
        time.sleep(1)
        game.press(482, 540)  # the title's table button
        time.sleep(1.5)
        driver.save_screenshot(os.path.join(args.shots, "table-after-reload.png"))
        table_picture = game.picture()
        log = driver.execute_script("const f = Module.grumboldxFile(arguments[0]);"
                                    "return f && new TextDecoder().decode(f);", LOG) or ""
        if "Init ok" not in log or "Highscore-file not valid!" in log:
            raise Failed("the kept table was not read back after the reload")
        kept = base64.b64decode(game.keep(TABLE) or "").decode("utf-16-le", "replace")
        if not re.search(NAME + r" +" + str(score) + r"\n", kept):
            raise Failed("the table lost its entry after the reload")
        print("after a reload: the kept table is read back and accepted")

        # 6. The first click locks the pointer, takes the page to full screen and starts the
        # sound; movements of the locked pointer then move the crosshair, scaled as the picture
        # and held inside it, and a click lands where the crosshair is: on the table's button it
        # shows the table as the press at its position did.
        game.open(base + "/play/xl/?lock")
        title_picture = game.picture()
        sound = "const c = Module.SDL2 && Module.SDL2.audioContext; return c ? c.state : 'none';"
        sound_before = driver.execute_script(sound)
        driver.find_element(By.ID, "start").click()
        wait_for("the pointer lock and the full screen", lambda: driver.execute_script(
            "return document.pointerLockElement === document.getElementById('canvas') && "
            "document.fullscreenElement === document.documentElement"), 5)
        # The browser holds the sound back until the player's first gesture on the page.
        if sound_before != "suspended":
            raise Failed(f"the page's sound was {sound_before} before the first click, not suspended")
        wait_for("the sound", lambda: driver.execute_script(sound) == "running", 5)
        print("the first click locked the pointer, took the page to full screen and started the sound")
        time.sleep(1)
        # Full screen has changed the page's size since the click, so where the crosshair starts
        # is not known exactly here: it is first pushed into the picture's corner.
        driver.execute_script("grumboldxPlayer.nudge(-1000, -1000, 3); grumboldxPlayer.nudge(482, 540, 7)")
        time.sleep(0.4)
        at = driver.execute_script("return grumboldxPlayer.crosshair(400, 490, 180, 100)")
        if not at or abs(at[0] - 482) > 4 or abs(at[1] - 540) > 4:
            raise Failed(f"the locked pointer's movements took the crosshair to {at} instead of (482, 540)")
        driver.execute_script("grumboldxPlayer.clickLocked()")
        time.sleep(1.5)
        driver.save_screenshot(os.path.join(args.shots, "table-locked.png"))
        locked_picture = game.picture()
        to_table, to_title = differ(locked_picture, table_picture), differ(locked_picture, title_picture)
        if to_table > 4 or to_title < 12:
            raise Failed(f"a click of the locked pointer does not show the table: the picture differs by "
                         f"{to_table:.1f} from the table's and by {to_title:.1f} from the title's")
        print(f"the locked pointer moved the crosshair to ({at[0]:.1f}, {at[1]:.1f}) on the table's button, "
              f"whose click shows the table (picture differences: {to_table:.1f} to the table, "
              f"{to_title:.1f} to the title)")

        # 7. The browser's recording in the native game.
        shutil.copy(os.path.join(TOP, "build", "data", "XL", "grumboldX.dat"), scratch)
        rec = os.path.join(scratch, "lastgame.rec")
        with open(rec, "wb") as f:
            f.write(base64.b64decode(recording))
        replay = subprocess.run([os.path.join(TOP, "build", "bin", "grumboldx"), "-replay", rec],
                                cwd=scratch, env={**os.environ, "GRUMBOLDX_HEADLESS": "1"},
                                capture_output=True, text=True, timeout=120)
        if replay.returncode != 0 or f"score {score}\n" not in replay.stdout:
            raise Failed(f"the native replay exits {replay.returncode}: {replay.stdout[-300:]} {replay.stderr[-600:]}")
        print("the browser's recording replays natively to the same score")
        return 0
    except Failed as failure:
        print("web_round_check: " + str(failure), file=sys.stderr)
        if driver:
            driver.save_screenshot(os.path.join(args.shots, "failed.png"))
            log = driver.execute_script("const f = Module.grumboldxFile(arguments[0]);"
                                        "return f && new TextDecoder().decode(f);", LOG)
            with open(os.path.join(args.shots, "debug.txt"), "w") as f:
                f.write(log or "")
            print("  the game's log (all of it in debug.txt beside the screenshots):\n" +
                  "\n".join(line for line in (log or "(none)").splitlines() if "frame stats" not in line)[-2000:],
                  file=sys.stderr)
            for entry in driver.get_log("browser")[-40:]:
                print("  console: " + entry["message"][:300], file=sys.stderr)
        return 1
    finally:
        if driver:
            driver.quit()
        if server:
            server.terminate()
            server.wait(timeout=20)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
