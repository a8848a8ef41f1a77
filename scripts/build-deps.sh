#!/usr/bin/env bash
# Cross-builds the third-party libraries from Debian's source packages for both Windows targets.
# Results go into a cache outside the clone, one folder per package version, recipe and target, so
# that a second run only checks that the stamps are there. Each clone records which cache entries
# it uses in build/deps.cmake (read by cmake/Dependencies.cmake), so that clones with different
# recipes share one cache without taking each other's libraries.
#
#   scripts/build-deps.sh            -> prints the prefix of the cache on its last line
#
# Layout: $CACHE/<name>-<debian version>-<recipe hash>/<triplet>/{include,lib}
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
CACHE=${TESSMARK_DEPS_CACHE:-/var/cache/tessmark-deps}
# Everything that shapes a build is in the key: this script's recipes and the toolchain files
# the builds are configured with. A change to either must not reuse libraries built before it.
RECIPE=$(cat "$0" "$ROOT"/cmake/toolchain-*.cmake | sha1sum | cut -c1-8)
RECORD="$ROOT/build/deps.cmake"
TRIPLETS=(x86_64-w64-mingw32 i686-w64-mingw32)
JOBS=$(nproc)
mkdir -p "$CACHE/src"

log() { echo "[deps] $*" >&2; }

# Version of a source package as apt would fetch it (the newest candidate).
src_version() {
  apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{print $2}' | sort -V | tail -n 1
}

# Unpacks a source package once into $CACHE/src/<pkg>-<version>; echoes that folder.
fetch_source() {
  local pkg=$1 ver=$2 dir="$CACHE/src/$1-$2"
  if [ ! -f "$dir/.unpacked" ]; then
    log "fetching source $pkg $ver"
    rm -rf "$dir" "$dir.tmp"; mkdir -p "$dir.tmp"
    (cd "$dir.tmp" && apt-get source -qq "$pkg=$ver" >/dev/null 2>&1 || apt-get source -qq "$pkg=$ver")
    local top; top=$(find "$dir.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    mv "$top" "$dir"; rm -rf "$dir.tmp"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

toolchain_file() { echo "$ROOT/cmake/toolchain-$1.cmake"; }

# The libraries go into a program that every user downloads first: each function and datum in a
# section of its own, so that the program's link keeps only what it reaches. On i686 (DWARF-2
# unwinding) the tables for asynchronous unwinding go too: a C library never unwinds, and in C++
# the compiler still emits them wherever an exception can pass. x86_64 keeps them; its SEH
# unwinding needs them for every function. curl and jsoncpp are also compiled for size
# (MinSizeRel), and so is minizip: the installer's own skin is a 7z archive, and the zip reader
# only reads a skin given as a zip file. The LZMA decoder stays at -O2, as it unpacks the skin
# before the first picture.
section_flags() {
  local flags="-ffunction-sections -fdata-sections"
  [ "$1" != i686-w64-mingw32 ] || flags+=" -fno-asynchronous-unwind-tables"
  echo "$flags"
}

# ... and for the C libraries, their globals without an initializer are common symbols. MinGW's
# GCC has no .bss$ sections: with -fdata-sections it gives every zero-filled datum a .data$
# section of its own whose zeros are written out into the program, so that the 7z CRC table
# (12 KB, computed at run time) took 12 KB of the file. A common symbol goes to the program's
# .bss, which takes no room in the file; the table keeps its alignment.
c_flags() {
  echo "$(section_flags "$1") -fcommon"
}

# Runs one step of a dependency build with its output in a log; when it fails, says which step
# failed and shows the end of its log.
step() {
  local what=$1 logfile=$2; shift 2
  if ! "$@" >"$logfile" 2>&1; then
    log "FAILED: $what (log: $logfile)"
    tail -n 40 "$logfile" >&2
    exit 1
  fi
}

# libcurl for the downloaders: HTTP (ranges, redirects, resume, Basic authentication, proxies from
# the environment) and file://, nothing else. What the downloaders never ask for is left out:
# cookies, Digest, DNS over HTTPS, the option table, MIME posts, .netrc, date parsing (only for
# time conditions and cookies), the built-in progress meter (they install their own callback).
# The error texts stay: the log shows them.
build_curl() {
  local t=$1 src=$2 out=$3
  step "configure curl for $t" "$out/configure.log" cmake -S "$src" -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_INSTALL_PREFIX="$out" -DCMAKE_C_FLAGS="$(c_flags "$t")" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DCURL_USE_OPENSSL=OFF -DCURL_USE_SCHANNEL=OFF -DCURL_USE_MBEDTLS=OFF -DCURL_USE_WOLFSSL=OFF \
    -DCURL_USE_BEARSSL=OFF -DCURL_USE_NSS=OFF -DCURL_USE_GSSAPI=OFF -DCURL_USE_LIBSSH2=OFF \
    -DCURL_USE_LIBSSH=OFF -DUSE_NGHTTP2=OFF -DUSE_NGTCP2=OFF -DUSE_QUICHE=OFF -DUSE_MSH3=OFF \
    -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF \
    -DENABLE_UNIX_SOCKETS=OFF -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
    -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_TFTP=ON \
    -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_SMTP=ON \
    -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_MQTT=ON -DCURL_DISABLE_SMB=ON \
    -DCURL_DISABLE_FILE=OFF -DCURL_DISABLE_HTTP=OFF -DCURL_DISABLE_ALTSVC=ON -DCURL_DISABLE_HSTS=ON \
    -DCURL_DISABLE_NTLM=ON -DCURL_DISABLE_KERBEROS_AUTH=ON -DCURL_DISABLE_NEGOTIATE_AUTH=ON \
    -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_CRYPTO_AUTH=ON -DCURL_DISABLE_DOH=ON \
    -DCURL_DISABLE_GETOPTIONS=ON -DCURL_DISABLE_MIME=ON -DCURL_DISABLE_NETRC=ON \
    -DCURL_DISABLE_PARSEDATE=ON -DCURL_DISABLE_PROGRESS_METER=ON -DCURL_DISABLE_SHUFFLE_DNS=ON \
    -DCURL_DISABLE_SOCKETPAIR=ON \
    -DCURL_CA_PATH=none -DCURL_CA_BUNDLE=none
  step "build curl for $t" "$out/build.log" cmake --build "$out/build" -j "$JOBS"
  step "install curl for $t" "$out/install.log" cmake --install "$out/build"
}

# jsoncpp's reader and value sources include <iostream> but use none of its objects; in GCC 12 the
# include alone gives each a static initializer for the standard streams, which pulls cin, cout,
# their file buffers and the wide ones (about 90 KB) into every program. Defining the header's
# guard makes that include empty; <istream> and <sstream> come in as before, and a use of cout
# would not compile instead of going unnoticed. Its objects also carry their intermediate code for
# the installer's link-time optimisation (see cmake/ProjectOptions.cmake: the other programs link
# their machine code), which drops the parts of the library that the installer never calls.
build_jsoncpp() {
  local t=$1 src=$2 out=$3
  step "configure jsoncpp for $t" "$out/configure.log" cmake -S "$src" -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_INSTALL_PREFIX="$out" \
    -DCMAKE_CXX_FLAGS="$(section_flags "$t") -flto -ffat-lto-objects -fno-declone-ctor-dtor -D_GLIBCXX_IOSTREAM" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF \
    -DJSONCPP_WITH_CMAKE_PACKAGE=OFF
  step "build jsoncpp for $t" "$out/build.log" cmake --build "$out/build" -j "$JOBS"
  step "install jsoncpp for $t" "$out/install.log" cmake --install "$out/build"
}

build_gtest() {
  local t=$1 src=$2 out=$3
  step "configure googletest for $t" "$out/configure.log" cmake -S "$src" -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF \
    -Dgtest_disable_pthreads=OFF
  step "build googletest for $t" "$out/build.log" cmake --build "$out/build" -j "$JOBS"
  step "install googletest for $t" "$out/install.log" cmake --install "$out/build"
}

# A few C files compiled straight into a static library, at -O2 unless C_OPTIMISATION says otherwise.
build_c_files() {
  local t=$1 out=$2 lib=$3; shift 3
  mkdir -p "$out/obj" "$out/lib"
  local objs=() f o
  for f in "$@"; do
    o="$out/obj/$(basename "${f%.c}").o"
    step "compile $(basename "$f") for $t" "$out/compile.log" "$t-gcc-posix" "${C_OPTIMISATION:--O2}" $(c_flags "$t") -DNDEBUG $CFLAGS_EXTRA -c "$f" -o "$o"
    objs+=("$o")
  done
  rm -f "$out/lib/$lib"
  step "archive $lib for $t" "$out/archive.log" "$t-ar" rcs "$out/lib/$lib" "${objs[@]}"
}

build_minizip() {
  local t=$1 src=$2 out=$3
  mkdir -p "$out/include/minizip"
  cp "$src/unzip.h" "$src/ioapi.h" "$out/include/minizip/"
  C_OPTIMISATION=-Os CFLAGS_EXTRA="-I$src -DNOCRYPT -DNOUNCRYPT -DUSE_FILE32API" build_c_files "$t" "$out" libminizip.a \
    "$src/unzip.c" "$src/ioapi.c"
}

build_lzma() {
  local t=$1 src=$2 out=$3
  local c="$src/C"
  mkdir -p "$out/include/lzma"
  cp "$c"/*.h "$out/include/lzma/"
  local files=(7zArcIn.c 7zBuf.c 7zBuf2.c 7zCrc.c 7zCrcOpt.c 7zDec.c 7zFile.c 7zStream.c Alloc.c
               Bcj2.c Bra.c Bra86.c BraIA64.c CpuArch.c Delta.c Lzma2Dec.c LzmaDec.c)
  local list=() f
  for f in "${files[@]}"; do [ -f "$c/$f" ] && list+=("$c/$f"); done
  # 7zDec.c tests Z7_PPMD_SUPPORT with #ifdef: defining it (to any value) turns PPMd on and
  # needs Ppmd7*.c. Skins are not PPMd-compressed, so leave it undefined.
  CFLAGS_EXTRA="-I$c" build_c_files "$t" "$out" liblzma-sdk.a "${list[@]}"
}

# name, source package, builder. Prints nothing but log lines; the cache path goes to stdout last.
build_one() {
  local name=$1 pkg=$2 builder=$3 ver src
  if [ "$pkg" = "googletest" ]; then
    ver=$(dpkg-query -W -f='${Version}' googletest)
    src=/usr/src/googletest
  else
    ver=$(src_version "$pkg")
    [ -n "$ver" ] || { log "no source package $pkg (is deb-src enabled?)"; exit 1; }
    src=$(fetch_source "$pkg" "$ver")
  fi
  local t
  for t in "${TRIPLETS[@]}"; do
    local out="$CACHE/$name-$ver-$RECIPE/$t"
    if [ -f "$out/.built" ]; then continue; fi
    log "building $name $ver for $t"
    rm -rf "$out"; mkdir -p "$out"
    case $builder in
      minizip) $builder "$t" "$(find "$src" -name unzip.c -printf '%h\n' | head -n 1)" "$out" ;;
      *) $builder "$t" "$src" "$out" ;;
    esac
    rm -rf "$out/build" "$out/obj"
    touch "$out/.built"
  done
  echo "set(TESSMARK_DEP_$name \"$CACHE/$name-$ver-$RECIPE\")" >>"$RECORD.tmp"
}

mkdir -p "$ROOT/build"
rm -f "$RECORD.tmp"

build_one curl curl build_curl
build_one jsoncpp libjsoncpp build_jsoncpp
build_one minizip minizip build_minizip
build_one lzma 7zip build_lzma
build_one googletest googletest build_gtest
# Rewritten only when it changes, so that a build folder reconfigures only then.
if ! cmp -s "$RECORD.tmp" "$RECORD"; then mv "$RECORD.tmp" "$RECORD"; else rm -f "$RECORD.tmp"; fi
echo "$CACHE"
