#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian packages as installed: each is unpacked into a scratch root, then the game
# starts headless to its title and back out (exit 0, its highscores in the player's XDG data
# folder), the server answers /health with all three editions on the options of its
# /etc/default file, and the server package depends on no desktop library. With grumboldx-web
# (left out by package.sh --no-web) the server also serves its pages, whose data are the data
# package's archives. Prints the installed size and the game's start time.
#   scripts/test-packages.sh [DEB_OR_FOLDER...]
# Without arguments it builds the packages first with scripts/package.sh (into dist-packages/).
# A package build takes minutes: this is not part of ./test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
args=("$@")
if ((${#args[@]} == 0)); then
  "$top/scripts/package.sh" "$top/dist-packages"
  args=("$top/dist-packages")
fi
debs=()
for a in "${args[@]}"; do
  if [[ -d "$a" ]]; then debs+=("$a"/grumboldx*_*.deb); else debs+=("$a"); fi
done

scratch=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "test-packages: $*" >&2; exit 1; }

root=$scratch/root
declare -A deb_of
for deb in "${debs[@]}"; do
  [[ -f "$deb" ]] || fail "no package $deb"
  deb_of[$(dpkg-deb -f "$deb" Package)]=$deb
  dpkg -x "$deb" "$root"
done
for pkg in grumboldx grumboldx-server grumboldx-data; do
  [[ -n "${deb_of[$pkg]:-}" ]] || fail "the package $pkg is missing"
done

# What each package holds where the programs and the system look for it.
for f in usr/games/grumboldx usr/share/applications/grumboldx.desktop usr/share/man/man6/grumboldx.6.gz \
  usr/bin/grumboldx-server lib/systemd/system/grumboldx-server.service etc/default/grumboldx-server \
  usr/share/man/man8/grumboldx-server.8.gz usr/share/grumboldx/XS/grumboldX.dat \
  usr/share/grumboldx/XL/grumboldX.dat usr/share/grumboldx/XXL/grumboldX.dat; do
  [[ -e "$root/$f" ]] || fail "$f is not in any package"
done
web=${deb_of[grumboldx-web]:+1}
if [[ -n $web ]]; then
  for edition in xs xl xxl; do
    page=$root/usr/share/grumboldx/web/$edition
    for f in index.html grumboldx.js grumboldx.wasm grumboldx.data.js grumboldx.data.gz; do
      [[ -f "$page/$f" ]] || fail "grumboldx-web has no $edition/$f"
    done
    # The page's data is the edition's archive, by a link into grumboldx-data.
    [[ -L "$page/grumboldx.data" && "$(readlink -f "$page/grumboldx.data")" == \
       "$(readlink -f "$root/usr/share/grumboldx/${edition^^}/grumboldX.dat")" ]] ||
      fail "the $edition page's data is not the edition's archive"
  done
  dpkg-deb -f "${deb_of[grumboldx-web]}" Depends | grep -q "grumboldx-data (= " || fail "grumboldx-web does not depend on its data"
fi
dpkg-deb -I "${deb_of[grumboldx-server]}" conffiles | grep -qx /etc/default/grumboldx-server ||
  fail "/etc/default/grumboldx-server is not a conffile"
# shellcheck disable=SC2016  # the unit names the variable itself
grep -q '^ExecStart=/usr/bin/grumboldx-server \$GRUMBOLDX_SERVER_OPTIONS$' \
  "$root/lib/systemd/system/grumboldx-server.service" || fail "the unit starts no /usr/bin/grumboldx-server"

# The server package pulls in no desktop library, by its dependencies or by what its binary links;
# the game's dependencies name SDL, so the pattern finds what it looks for.
desktop='sdl|gtk|webkit|curl'
server_depends=$(dpkg-deb -f "${deb_of[grumboldx-server]}" Depends)
! grep -Eiq "$desktop" <<< "$server_depends" || fail "the server package depends on the desktop: $server_depends"
grep -Eiq "libsdl2" <<< "$(dpkg-deb -f "${deb_of[grumboldx]}" Depends)" || fail "the game does not depend on SDL"
server_libs=$(ldd "$root/usr/bin/grumboldx-server" | awk '{print $1}')
! grep -Eiq "$desktop" <<< "$server_libs" || fail "the server links a desktop library: $server_libs"
for pkg in grumboldx grumboldx-server; do
  dpkg-deb -f "${deb_of[$pkg]}" Depends | grep -q "grumboldx-data (= " || fail "$pkg does not depend on its data"
done

# The game, started elsewhere with a home of its own: the title, Escape twice, exit 0.
mkdir -p "$scratch/home" "$scratch/here"
printf '60 move 400 300\n160 key ESCAPE\n162 key ESCAPE\n' > "$scratch/script.txt"
game() {
  (cd "$scratch/here" && env -u XDG_DATA_HOME -u XDG_STATE_HOME -u XDG_CONFIG_HOME HOME="$scratch/home" \
     GRUMBOLDX_HEADLESS=1 GRUMBOLDX_SCRIPT="$scratch/script.txt" "$@" "$root/usr/games/grumboldx")
}
game env GRUMBOLDX_FRAMES=300 || fail "the installed game did not end with 0"
[[ -f "$scratch/home/.local/share/grumboldx/xxl/highscores.txt" ]] || fail "no highscores.txt in the player's data folder"
grep -q "Init ok" "$scratch/home/.local/state/grumboldx/debug.txt" || fail "no debug.txt in the player's state folder"
[[ -z "$(ls -A "$scratch/here")" ]] || fail "the game wrote into its working folder: $(ls -A "$scratch/here")"

# The server on the options the package gives it, with a scratch port and database instead.
# shellcheck disable=SC1091  # the file comes from the package
options=$(. "$root/etc/default/grumboldx-server" && echo "$GRUMBOLDX_SERVER_OPTIONS")
[[ -n "$options" ]] || fail "/etc/default/grumboldx-server sets no GRUMBOLDX_SERVER_OPTIONS"
# shellcheck disable=SC2086  # the options are words, as systemd splits them
"$root/usr/bin/grumboldx-server" $options --port 0 --port-file "$scratch/port" --db "$scratch/h.db" \
  --verifiers 1 2> "$scratch/server.log" &
server_pid=$!
for _ in $(seq 200); do [[ -s "$scratch/port" ]] && break; sleep 0.05; done
[[ -s "$scratch/port" ]] || fail "the installed server did not start: $(cat "$scratch/server.log")"
health=$(curl -s --max-time 10 "http://127.0.0.1:$(cat "$scratch/port")/health")
grep -q '"status":"ok"' <<< "$health" || fail "the installed server's health: $health"
grep -q '"editions":\["XS","XL","XXL"\]' <<< "$health" || fail "the installed server misses editions: $health"
grep -q "XXL: $root/usr/share/grumboldx/XXL/grumboldX.dat" "$scratch/server.log" ||
  fail "the server did not find the installed archives: $(cat "$scratch/server.log")"
if [[ -n $web ]]; then
  # The installed pages, found by the server under its own prefix: the page, and its data whole
  # (the archive through the link) or gzipped.
  address=http://127.0.0.1:$(cat "$scratch/port")/play/xl
  curl -sf --max-time 10 "$address/" | grep -q "<title>GrumboldX XL</title>" ||
    fail "the installed server does not serve the XL page"
  size=$(curl -sf --max-time 30 -H "Accept-Encoding: identity" -o /dev/null -w '%{size_download}' "$address/grumboldx.data")
  [[ $size == "$(stat -c %s "$root/usr/share/grumboldx/XL/grumboldX.dat")" ]] ||
    fail "the XL page's data came as $size bytes, not the archive's"
  curl -sf --max-time 30 -H "Accept-Encoding: gzip" -D - -o /dev/null "$address/grumboldx.data" |
    grep -qi "^content-encoding: gzip" || fail "the XL page's data does not come gzipped"
fi
kill "$server_pid"
wait "$server_pid" || fail "the server did not end with 0 on SIGTERM"
server_pid=

# Installed size (what dpkg -x unpacked) and the game's start to its first frame: the median of
# five headless runs of one frame.
echo "test-packages: installed size"
for pkg in grumboldx grumboldx-data grumboldx-server ${web:+grumboldx-web}; do
  printf '  %-18s %8d KiB\n' "$pkg" "$(dpkg-deb -f "${deb_of[$pkg]}" Installed-Size)"
done
printf '  %-18s %8d KiB\n' "all, unpacked" "$(du -sk "$root" | cut -f1)"
times=()
for _ in 1 2 3 4 5; do
  t0=$(date +%s%N)
  game env GRUMBOLDX_FRAMES=1 || fail "a one-frame run did not end with 0"
  times+=($((($(date +%s%N) - t0) / 1000000)))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
echo "test-packages: the installed game starts in $(cut -d' ' -f3 <<< "$sorted") ms (one frame; runs: $sorted)"
echo "test-packages: ok"
