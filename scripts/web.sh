#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game for web browsers (WebAssembly, by Debian's emscripten): one page per edition.
#   scripts/web.sh [xs|xl|xxl|all]...   (default: all)
#   scripts/web.sh --libraries          (only the libraries, into the cache)
# Needs the native tree's data archives, build/data/XS|XL|XXL/grumboldX.dat: scripts/setup.sh
# release makes them (or `cmake --build build --target data_archives` in a configured build/).
# $GRUMBOLDX_WEB_DATA names another folder of archives and $GRUMBOLDX_WEB_BUILD another build
# folder. With GRUMBOLDX_WEB_OFFLINE=1 (the Debian package's build) nothing is installed or
# fetched: the libraries must be in the cache already (scripts/web.sh --libraries).
#
# The libraries the game links (SDL2, libjpeg-turbo, zlib, libogg, libvorbis) are built from
# Debian's own source packages: emscripten's ports are downloads from outside the archive. They
# are fetched and built once into a cache outside the source tree (~/.cache/grumboldx/web, or
# $GRUMBOLDX_WEB_CACHE), one stamp per library naming its Debian version; a later run, also from
# another clone, builds none of them again. The sources
# come through a private apt configuration in the cache, with deb-src lines for the archive
# this machine already uses, so the system's own apt configuration is left as it is.
#
# The game is configured with -DGRUMBOLDX_WEB=ON in build-web/ and the pages are written to
# build-web/pages/xs|xl|xxl/ (index.html, grumboldx.js, grumboldx.wasm, grumboldx.data and a
# gzip copy of each), which the highscore server serves at /play/EDITION/ (--web build-web/pages,
# its default beside a build tree).
set -euo pipefail
shopt -s inherit_errexit
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

editions=()
libraries_only=0
for arg in "${@:-all}"; do
  case "$arg" in
    xs|xl|xxl) editions+=("$arg") ;;
    all) editions+=(xs xl xxl) ;;
    --libraries) libraries_only=1 ;;
    *) echo "web: unknown edition $arg (xs, xl, xxl or all, or --libraries)" >&2; exit 2 ;;
  esac
done

jobs=${GRUMBOLDX_JOBS:-2}
offline=${GRUMBOLDX_WEB_OFFLINE:-0}
build=${GRUMBOLDX_WEB_BUILD:-$top/build-web}
data=${GRUMBOLDX_WEB_DATA:-$top/build/data}
cache=${GRUMBOLDX_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/grumboldx/web}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
prefix=$cache/prefix
started_all=$SECONDS
step_started=$SECONDS
step() { step_started=$SECONDS; echo "web: $*"; }
step_done() { echo "web: ... $((SECONDS - step_started)) s"; }

# --- Debian packages: the compiler and what fetches and builds the sources ---------------------
if ((!offline)); then
  step "checking the Debian packages"
  "$top/scripts/install_packages.sh" web emscripten dpkg-dev cmake ninja-build make pkg-config gzip
  step_done
fi

# emcc's scripts run on Debian's python, whatever else is first on the path.
export EMSDK_PYTHON=/usr/bin/python3
# emcc runs its tools on node, which finds Debian's node modules (acorn) only when told where
# they are; node 20's own fetch clashes with the one emcc's scripts bring.
for dir in /usr/share/nodejs /usr/lib/nodejs; do
  [[ -d $dir/acorn ]] && export NODE_PATH=$dir && break
done
if [[ -z ${NODE_PATH:-} ]]; then
  echo "web: node's acorn module not found (package node-acorn)" >&2; exit 1
fi
if [[ $(node -e 'console.log(process.versions.node.split(".")[0])') -ge 18 ]]; then
  export NODE_OPTIONS=--no-experimental-fetch
fi
node_bin=$(command -v node)

# --- Debian sources --------------------------------------------------------------------------
# The deb-src lines: every archive and suite apt reads binary packages from, as source, in a
# private apt configuration whose source lists are read again when they change.
read_source_lists() {
  apt_dir=$cache/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d"
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
    sort -u | awk 'NF == 3 { print "deb-src " $1 " " $2 " " $3 }' > "$apt_dir/sources.list.new"
  if [[ ! -s $apt_dir/sources.list.new ]]; then
    echo "web: apt reads no Debian archive to take the sources from" >&2; exit 1
  fi
  cat > "$apt_dir/apt.conf" <<EOF
Dir::Etc::sourcelist "$apt_dir/sources.list";
Dir::Etc::sourceparts "$apt_dir/sources.list.d";
Dir::State::lists "$apt_dir/lists";
Dir::Cache "$apt_dir/cache";
Dir::Cache::archives "$apt_dir/archives";
APT::Get::Only-Source "true";
EOF
  # The downloads land in the cache, which apt's own download user may not be able to write.
  if [[ $(id -u) -eq 0 ]]; then echo 'APT::Sandbox::User "root";' >> "$apt_dir/apt.conf"; fi
  export APT_CONFIG=$apt_dir/apt.conf
  if ! cmp -s "$apt_dir/sources.list.new" "$apt_dir/sources.list" ||
     ! compgen -G "$apt_dir/lists/*Sources*" >/dev/null; then
    step "reading the archive's source lists"
    mv "$apt_dir/sources.list.new" "$apt_dir/sources.list"
    mkdir -p "$apt_dir/cache"
    apt-get update -qq -o APT::Update::Error-Mode=any
    step_done
  else
    rm -f "$apt_dir/sources.list.new"
  fi
}

codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# library -> the source package as apt-get source takes it. zlib's update in the security
# suite comes without its source on the archive: the release's own is taken.
declare -A source_of=([zlib]="zlib/$codename" [libogg]=libogg [libvorbis]=libvorbis
                      [libjpeg-turbo]=libjpeg-turbo [SDL2]=libsdl2)

# The version apt would fetch for a library, from the cached lists (no network).
source_version() {
  local wanted=${source_of[$1]} name
  name=${wanted%%/*}
  apt-get source --print-uris "$wanted" 2>/dev/null |
    sed -n "s/^'[^']*' ${name}_\([^ ]*\)\.dsc .*/\1/p" | head -1
}

# Unpacks the library's source package into $cache/src/NAME-VERSION (once) and echoes that folder.
fetch_source() {
  local lib=$1 version=$2 wanted=${source_of[$1]} name dir
  name=${wanted%%/*}
  dir=$cache/src/$name-${version#*:}
  if [[ ! -f $dir/.unpacked ]]; then
    rm -rf "$dir" "$cache/download/$name"
    mkdir -p "$cache/download/$name" "$cache/src"
    # apt checks the files against the archive's signed lists; dpkg-source need not again.
    (cd "$cache/download/$name" && apt-get source -qq --download-only "$wanted" >&2 &&
       dpkg-source --no-check -x ./*.dsc "$dir" >&2) || return 1
    touch "$dir/.unpacked"
    rm -rf "$cache/download/$name" "$cache/src/${name}_"*.orig.tar.*
  fi
  echo "$dir"
}

# --- The libraries, static, into the cache's prefix --------------------------------------------
mkdir -p "$prefix/lib/pkgconfig" "$prefix/include" "$cache/stamps" "$cache/work"
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
flags="-O2"

build_zlib() {
  local src=$1 work=$cache/work/zlib
  rm -rf "$work" && cp -a "$src" "$work" && cd "$work"
  CFLAGS=$flags emconfigure ./configure --static --prefix="$prefix"
  emmake make -j"$jobs" libz.a
  emmake make install
}
build_libogg() {
  local src=$1 work=$cache/work/libogg
  rm -rf "$work" && cp -a "$src" "$work" && cd "$work"
  CFLAGS=$flags emconfigure ./configure --prefix="$prefix" --disable-shared --enable-static
  emmake make -j"$jobs"
  emmake make install
}
build_libvorbis() {
  local src=$1 work=$cache/work/libvorbis
  rm -rf "$work" && cp -a "$src" "$work" && cd "$work"
  CFLAGS=$flags OGG_CFLAGS="-I$prefix/include" OGG_LIBS="-L$prefix/lib -logg" \
    emconfigure ./configure --prefix="$prefix" --disable-shared --enable-static --disable-docs \
      --disable-examples --disable-oggtest
  emmake make -j"$jobs" -C lib
  emmake make -C lib install
  emmake make -C include install
  emmake make install-pkgconfigDATA
}
build_libjpeg-turbo() {
  local src=$1 work=$cache/work/libjpeg-turbo
  rm -rf "$work"
  emcmake cmake -S "$src" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$node_bin"
  cmake --build "$work" -j"$jobs" --target jpeg-static
  # Only the library and its headers: the command-line programs are of no use here.
  install -m 644 "$work/libjpeg.a" "$prefix/lib/"
  install -m 644 "$work/jconfig.h" "$src/jerror.h" "$src/jmorecfg.h" "$src/jpeglib.h" "$prefix/include/"
}
build_SDL2() {
  local src=$1 work=$cache/work/SDL2
  rm -rf "$work"
  # No threads: without them the page needs no cross-origin isolation; SDL's sound then runs
  # on the page's own thread.
  emcmake cmake -S "$src" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DSDL_SHARED=OFF -DSDL_STATIC=ON \
    -DSDL_TEST=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$node_bin"
  cmake --build "$work" -j"$jobs"
  cmake --install "$work"
}

libraries=(zlib libogg libvorbis libjpeg-turbo SDL2)
if ((offline)); then
  for lib in "${libraries[@]}"; do
    if [[ ! -f $cache/stamps/$lib ]]; then
      echo "web: $lib is not built in $cache, and nothing is fetched here (GRUMBOLDX_WEB_OFFLINE):" \
           "run scripts/web.sh --libraries first" >&2
      exit 1
    fi
  done
else
  read_source_lists
  for lib in "${libraries[@]}"; do
    version=$(source_version "$lib")
    if [[ -z $version ]]; then
      echo "web: the archive has no source for ${source_of[$lib]}" >&2; exit 1
    fi
    stamp=$cache/stamps/$lib
    if [[ -f $stamp && $(cat "$stamp") == "$version" ]]; then
      echo "web: $lib $version already built"
      continue
    fi
    step "fetching $lib $version"
    src=$(fetch_source "$lib" "$version")
    step_done
    step "building $lib $version (log: $cache/logs/$lib.log)"
    mkdir -p "$cache/logs"
    # The build's own steps stop at the first failure (a condition would switch that off).
    set +e
    (set -e; "build_$lib" "$src") > "$cache/logs/$lib.log" 2>&1
    status=$?
    set -e
    if ((status)); then
      tail -n 30 "$cache/logs/$lib.log" >&2
      echo "web: building $lib failed" >&2
      exit 1
    fi
    rm -rf "$cache/work/$lib"
    echo "$version" > "$stamp"
    step_done
  done
fi
if ((libraries_only)); then
  echo "web: the libraries are in $prefix ($((SECONDS - started_all)) s)"
  exit 0
fi

# --- The game -------------------------------------------------------------------------------
for edition in "${editions[@]}"; do
  archive=$data/${edition^^}/grumboldX.dat
  if [[ ! -f $archive ]]; then
    echo "web: $archive is missing: run scripts/setup.sh release first (or build the" \
         "data_archives target of build/)" >&2
    exit 1
  fi
done

step "configuring and building the game"
# Configured once, and again when the libraries' prefix moved (another $GRUMBOLDX_WEB_CACHE).
if ! grep -qxF "CMAKE_PREFIX_PATH:UNINITIALIZED=$prefix" "$build/CMakeCache.txt" 2>/dev/null; then
  # The toolchain's own emulator setting exits at once on newer node: plain node runs the
  # configure checks.
  emcmake cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGRUMBOLDX_WEB=ON \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$node_bin" >/dev/null
fi
cmake --build "$build" -j"$jobs" --target grumboldx
step_done

for edition in "${editions[@]}"; do
  step "writing the ${edition^^} page"
  page=$build/pages/$edition
  mkdir -p "$page"
  # The program is the same for every edition; the data beside it makes the edition.
  cp "$build/bin/grumboldx.js" "$build/bin/grumboldx.wasm" "$page/"
  sed "s/@EDITION@/${edition^^}/g" "$top/platform/web/index.html" > "$page/index.html"
  "$EMSDK_PYTHON" /usr/share/emscripten/tools/file_packager.py "$page/grumboldx.data" \
    --preload "$data/${edition^^}/grumboldX.dat@/usr/share/grumboldx/${edition^^}/grumboldX.dat" \
    --js-output="$page/grumboldx.data.js" 2>&1 | { grep -v "^Remember to build" || true; } >&2
  # A gzip copy beside every file: the highscore server sends it to browsers that take gzip.
  rm -f "$page"/*.gz
  for file in "$page"/*; do
    gzip -9kn "$file"
    printf '  %-16s %10d bytes, %10d gzipped\n' "$(basename "$file")" "$(stat -c %s "$file")" \
      "$(stat -c %s "$file.gz")"
  done
  step_done
done
echo "web: done in $((SECONDS - started_all)) s; a page plays in headless Chromium with" \
     "/usr/bin/python3 tests/web_title_check.py build-web/pages/EDITION"
