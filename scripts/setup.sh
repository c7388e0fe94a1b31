#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Idempotent set-up: installs the Debian packages that are missing, then configures and builds.
#   scripts/setup.sh [release|asan|server]...   (default: release)
# release  the game, the server, the tools, tests and benchmarks in build/
# asan     the same with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, on the
#          release tree's data (which it builds first when missing)
# server   the highscore server and the data alone in build-server/: no SDL, GTK, WebKit or curl
#          is installed or linked
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

trees=("$@")
((${#trees[@]})) || trees=(release)
lists=(scripts/packages/server.txt)
for tree in "${trees[@]}"; do
  started=$SECONDS
  case "$tree" in
    release|asan) lists=(scripts/packages/server.txt scripts/packages/desktop.txt scripts/packages/test.txt) ;;
    server) ;;
    *) echo "setup: unknown build tree $tree (release, asan or server)" >&2; exit 2 ;;
  esac
done

"$top/scripts/install_packages.sh" setup "${lists[@]}"

jobs=${GRUMBOLDX_JOBS:-2}
# configure DIR FLAGS...: once, when the tree has no cache yet. Ninja, because it starts far
# fewer processes per step than CMake's recursive makefiles.
configure() {
  local dir=$1; shift
  [[ -f "$dir/CMakeCache.txt" ]] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
for tree in "${trees[@]}"; do
  started=$SECONDS
  case "$tree" in
    release)
      configure build -DCMAKE_BUILD_TYPE=Release
      cmake --build build -j"$jobs" ;;
    asan)
      # The generator runs once, in the release tree; this tree reads its archives.
      configure build -DCMAKE_BUILD_TYPE=Release
      cmake --build build -j"$jobs" --target data_archives
      configure build-asan -DCMAKE_BUILD_TYPE=Debug -DGRUMBOLDX_SANITIZE=ON \
        -DGRUMBOLDX_DATA_FROM="$top/build/data"
      cmake --build build-asan -j"$jobs" ;;
    server)
      configure build-server -DCMAKE_BUILD_TYPE=Release -DGRUMBOLDX_DESKTOP=OFF
      cmake --build build-server -j"$jobs" ;;
  esac
  echo "setup: $tree tree built in $((SECONDS - started)) s"
done
