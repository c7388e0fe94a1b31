#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A machine that only runs the highscore server: CMake configures the server-only tree with the
# desktop's packages out of sight (their pkg-config files hidden), and the full tree does not.
#   server_only_configure.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Every pkg-config file of the system but those of SDL, GTK and GDK, WebKit, libsoup and
# libcurl (the data generator's cairo still needs X11's, as a machine with only the server's
# packages has them).
mkdir "$scratch/pc"
hidden='^(sdl2|gtk|gdk-|gdk-pixbuf-xlib|webkit|javascriptcore|libsoup|libcurl)'
for dir in $(pkg-config --variable pc_path pkg-config | tr ':' ' '); do
  [[ -d "$dir" ]] || continue
  for pc in "$dir"/*.pc; do
    [[ -e "$pc" ]] || continue
    name=$(basename "$pc")
    [[ "$name" =~ $hidden ]] && continue
    [[ -e "$scratch/pc/$name" ]] || ln -s "$pc" "$scratch/pc/$name"
  done
done
export PKG_CONFIG_LIBDIR="$scratch/pc" PKG_CONFIG_PATH=

if ! cmake -S "$source_dir" -B "$scratch/server" -DGRUMBOLDX_DESKTOP=OFF > "$scratch/server.log" 2>&1; then
  echo "the server-only tree does not configure without the desktop's packages:" >&2
  cat "$scratch/server.log" >&2
  exit 1
fi
if grep -qE '^(SDL2|GTK3|WEBKIT|CURL)_' "$scratch/server/CMakeCache.txt"; then
  echo "the server-only tree looked for a desktop package:" >&2
  grep -E '^(SDL2|GTK3|WEBKIT|CURL)_' "$scratch/server/CMakeCache.txt" | head >&2
  exit 1
fi
# The check has teeth: the whole tree needs them.
if cmake -S "$source_dir" -B "$scratch/full" -DGRUMBOLDX_TESTS=OFF > "$scratch/full.log" 2>&1; then
  echo "the full tree configured without SDL: the desktop's packages were not hidden" >&2
  exit 1
fi
grep -q "sdl2" "$scratch/full.log" || { cat "$scratch/full.log" >&2; exit 1; }
echo "server-only tree configured without SDL, GTK, WebKit and libcurl"
