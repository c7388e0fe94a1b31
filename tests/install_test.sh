#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed game and server: `cmake --install` into a scratch root, then the game started
# elsewhere reads its archive from the installation and keeps the player's files in the XDG
# folders (and says so in --help); a folder with its own archive keeps everything there; the
# installed server finds its archives without options and answers on /health.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr > /dev/null
prefix=$scratch/root/usr
for f in bin/grumboldx bin/grumboldx-server share/grumboldx/XS/grumboldX.dat share/grumboldx/XL/grumboldX.dat \
  share/grumboldx/XXL/grumboldX.dat; do
  [[ -e "$prefix/$f" ]] || fail "$f is not installed"
done

# The game, started in an empty folder with a home of its own: XXL from the installation.
mkdir -p "$scratch/home" "$scratch/here"
printf '60 move 400 300\n160 key ESCAPE\n162 key ESCAPE\n' > "$scratch/script.txt"
run_game() {
  (cd "$1" && env -u XDG_DATA_HOME -u XDG_STATE_HOME HOME="$scratch/home" GRUMBOLDX_HEADLESS=1 GRUMBOLDX_FRAMES=300 \
     GRUMBOLDX_SCRIPT="$scratch/script.txt" "$prefix/bin/grumboldx" "${@:2}")
}
run_game "$scratch/here" || fail "the installed game did not end with 0"
[[ -f "$scratch/home/.local/share/grumboldx/xxl/highscores.txt" ]] || fail "no highscores.txt in the data folder"
grep -q "Init ok" "$scratch/home/.local/state/grumboldx/debug.txt" || fail "no debug.txt in the state folder"
[[ -z "$(ls -A "$scratch/here")" ]] || fail "the game wrote into its working folder: $(ls -A "$scratch/here")"
help=$(cd "$scratch/here" && HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" "$prefix/bin/grumboldx" -XS --help)
grep -q "^usage: grumboldx" <<< "$help" || fail "--help gives no usage"
grep -q "kept in $scratch/data/grumboldx/xs\$" <<< "$help" || fail "--help does not name the XS data folder: $help"

# A folder with its own archive: everything stays there, as always.
mkdir "$scratch/own"
cp "$prefix/share/grumboldx/XL/grumboldX.dat" "$scratch/own/"
run_game "$scratch/own" || fail "the game in a folder with its archive did not end with 0"
[[ -f "$scratch/own/highscores.txt" && -f "$scratch/own/debug.txt" ]] || fail "a folder with its own archive lost its files"

# The server finds the installed archives by itself.
"$prefix/bin/grumboldx-server" --port 0 --port-file "$scratch/port" --listen 127.0.0.1 --db "$scratch/h.db" \
  --verifiers 1 2> "$scratch/server.log" &
server_pid=$!
for _ in $(seq 200); do [[ -s "$scratch/port" ]] && break; sleep 0.1; done
[[ -s "$scratch/port" ]] || fail "the installed server did not start: $(cat "$scratch/server.log")"
health=$(curl -s "http://127.0.0.1:$(cat "$scratch/port")/health")
grep -q '"status":"ok"' <<< "$health" || fail "the installed server's health: $health"
grep -q '"editions":\["XS","XL","XXL"\]' <<< "$health" || fail "the installed server misses editions: $health"
echo "install_test: ok"
