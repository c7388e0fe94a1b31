#!/usr/bin/env bash
# Idempotent set-up: installs the Debian packages that are missing, then configures and builds.
#   scripts/setup.sh [release|asan]...   (default: release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done < scripts/debian-packages.txt

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then as_root=(); elif command -v sudo >/dev/null; then as_root=(sudo); else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq || true
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=${GRUMBOLDX_JOBS:-2}
trees=("$@")
((${#trees[@]})) || trees=(release)
for tree in "${trees[@]}"; do
  case "$tree" in
    release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
    asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DGRUMBOLDX_SANITIZE=ON) ;;
    *) echo "setup: unknown build tree $tree" >&2; exit 2 ;;
  esac
  if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    cmake -S . -B "$dir" "${flags[@]}" >/dev/null
  fi
  cmake --build "$dir" -j"$jobs"
done
