#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages grumboldx (the game), grumboldx-server (the highscore server as a
# systemd service), grumboldx-data (the archives both use) and grumboldx-web (the game's browser
# pages, which the server serves) from a clean copy of the source, then checks them with
# lintian: an error fails, warnings are printed.
#   scripts/package.sh [--no-web] [OUT_DIR]     (default: dist-packages/)
# Installs what is missing first (the build's packages, debhelper and lintian). The browser
# pages' libraries are built before, from Debian's sources, into scripts/web.sh's cache
# (~/.cache/grumboldx/web, or $GRUMBOLDX_WEB_CACHE), so the package's own build fetches nothing;
# --no-web leaves grumboldx-web out (the noweb build profile). The copy holds the work tree as it
# is, committed or not, without build trees and ignored files. Two cores, as the rest of the
# build: GRUMBOLDX_JOBS=N changes that.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
web=1
if [[ ${1:-} == --no-web ]]; then
  web=0
  shift
fi
out=${1:-dist-packages}
mkdir -p "$out"
out=$(cd "$out" && pwd)

scripts/install_packages.sh package scripts/packages/server.txt scripts/packages/desktop.txt debhelper lintian
profiles=()
if ((web)); then
  scripts/web.sh --libraries
  cache=${GRUMBOLDX_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/grumboldx/web}
  # The package's build has a home of its own: it is told where the cache is.
  export GRUMBOLDX_WEB_CACHE
  GRUMBOLDX_WEB_CACHE=$(cd "$cache" && pwd)
else
  profiles=(-Pnoweb)
fi

started=$SECONDS
version=$(dpkg-parsechangelog -S Version)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
src=$scratch/grumboldx-$version
mkdir "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # Tracked and new files that .gitignore does not exclude; a tracked file deleted in the work
  # tree stays out.
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -e "$f" || -L "$f" ]] && printf '%s\0' "$f"; done |
    tar --null -T - -cf - | tar -xf - -C "$src"
else
  tar --exclude=./.git --exclude='./build' --exclude='./build-*' --exclude=./run \
    --exclude=./dist-packages -cf - . | tar -xf - -C "$src"
fi

echo "package: building grumboldx $version in $src"
(cd "$src" && DEB_BUILD_OPTIONS="parallel=${GRUMBOLDX_JOBS:-2} noddebs" \
   dpkg-buildpackage -us -uc -b "${profiles[@]}" > "$scratch/build.log" 2>&1) || {
  tail -n 60 "$scratch/build.log" >&2
  echo "package: dpkg-buildpackage failed (the last lines of its log are above)" >&2
  exit 1
}
rm -f "$out"/grumboldx*_*.deb
debs=()
for deb in "$scratch"/*.deb; do
  cp "$deb" "$out/"
  debs+=("$out/$(basename "$deb")")
done
echo "package: built in $((SECONDS - started)) s"

echo "package: lintian"
status=0
lintian --fail-on error "${debs[@]}" || status=$?
printf '%-44s %10s %14s\n' package "size" "installed size"
for deb in "${debs[@]}"; do
  printf '%-44s %7d KiB %10d KiB\n' "$(basename "$deb")" $(($(stat -c %s "$deb") / 1024)) \
    "$(dpkg-deb -f "$deb" Installed-Size)"
done
if ((status)); then
  echo "package: lintian found errors" >&2
  exit 1
fi
echo "package: the packages are in $out"
