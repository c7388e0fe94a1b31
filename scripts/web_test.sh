#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser edition's check, run after ./test (which builds the release tree it needs: the
# data archives, the highscore server and the native game): builds the XL page with
# scripts/web.sh (its libraries from the cache, built once) and plays a whole round of it in
# headless Chromium against the highscore server, from the title to the listed result
# (tests/web_round_check.py; its screenshots go to build-web/round-check).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The browser and its driver, as Debian packages.
"$top/scripts/install_packages.sh" web-test chromium chromium-driver python3-selenium
started=$SECONDS
"$top/scripts/web.sh" xl
echo "== the web page built in $((SECONDS - started)) s"
checked=$SECONDS
/usr/bin/python3 "$top/tests/web_round_check.py"
echo "== the web round checked in $((SECONDS - checked)) s"
