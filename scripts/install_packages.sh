#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that are missing, with apt-get (as root, or through sudo).
#   scripts/install_packages.sh WHO PACKAGE_OR_LIST...
# WHO names the caller in its messages ("setup", "web"...). An argument ending in .txt is a list
# file: a package a line, "#" comments and empty lines ignored.
set -euo pipefail
who=$1
shift
wanted=()
for arg in "$@"; do
  if [[ "$arg" == *.txt ]]; then
    while read -r pkg; do
      [[ -z "$pkg" || "$pkg" == \#* ]] || wanted+=("$pkg")
    done < "$arg"
  else
    wanted+=("$arg")
  fi
done
missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
((${#missing[@]})) || exit 0
echo "$who: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then as_root=(); elif command -v sudo >/dev/null; then as_root=(sudo); else
  echo "$who: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq || true
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
