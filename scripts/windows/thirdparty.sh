# Sourced by scripts/build-windows: PCRE2, libcurl (Schannel) and wxWidgets (MSW, static) for
# 64-bit Windows, built from Debian's source packages into the cache. Each build is kept under a
# key made of the source version, the compiler version and its options, so a later run (or
# another clone) reuses it.

toolchain_file=$root/cmake/mingw-w64.cmake

# cache_key NAME VERSION OPTIONS...: folder name of one build in the cache. The compiler's
# version is asked for here, not when this file is sourced: on a fresh machine the compiler is
# installed only after that.
cache_key() {
  local name=$1 version=$2 compiler_version
  shift 2
  compiler_version=$("$host-g++-posix" -dumpfullversion 2>/dev/null || echo none)
  local sum
  sum=$(printf '%s\n' "$compiler_version" "$@" | sha1sum | cut -c1-10)
  echo "$name-$version-$sum"
}

# thirdparty_build NAME SOURCEPKG BUILDER OPTIONS...: prints the install prefix of a build
# with BUILDER SOURCE PREFIX OPTIONS..., from the cache when it holds one of a version apt
# knows, else built from the newest version that can be downloaded.
thirdparty_build() {
  local name=$1 pkg=$2 builder=$3
  shift 3
  local versions version prefix
  versions=$(source_versions "$pkg")
  [ -n "$versions" ] || { echo "No Debian source package $pkg" >&2; return 1; }
  for version in $versions; do
    prefix=$cache/$(cache_key "$name" "$version" "$@")
    [ -f "$prefix/.complete" ] && { echo "$prefix"; return 0; }
  done
  local src log start
  for version in $versions; do
    src=$cache/src/$name-$version
    unpack_source "$pkg" "$version" "$src" && break
    echo "Source package $pkg $version could not be fetched" >&2
    version=
  done
  [ -n "$version" ] || return 1
  prefix=$cache/$(cache_key "$name" "$version" "$@")
  log=$cache/logs/$name-$version.log
  mkdir -p "$cache/logs"
  echo "Building $name $version for Windows (log: $log)" >&2
  rm -rf "$prefix"
  start=$SECONDS
  if ! "$builder" "$src" "$prefix" "$@" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "Building $name failed; see $log" >&2
    return 1
  fi
  touch "$prefix/.complete"
  rm -rf "$src"
  echo "Built $name in $((SECONDS - start)) s" >&2
  echo "$prefix"
}

cmake_lib() {
  local src=$1 prefix=$2
  shift 2
  cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$src/_build" -j "$jobs"
  cmake --install "$src/_build"
}

pcre2_options=(-DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2_16=OFF -DPCRE2_BUILD_PCRE2_32=OFF
  -DPCRE2_SUPPORT_JIT=ON -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF
  -DPCRE2_SUPPORT_LIBBZ2=OFF -DPCRE2_SUPPORT_LIBZ=OFF -DPCRE2_SUPPORT_LIBEDIT=OFF
  -DPCRE2_SUPPORT_LIBREADLINE=OFF)

# TLS through the system's Schannel (its certificate store); only the protocols Nuvaro speaks.
curl_options=(-DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF
  -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF
  -DCURL_ZSTD=OFF -DUSE_WIN32_IDN=ON -DENABLE_UNIX_SOCKETS=OFF -DBUILD_CURL_EXE=OFF
  -DBUILD_TESTING=OFF -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_DISABLE_TELNET=ON
  -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_FILE=ON -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_RTSP=ON
  -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_MQTT=ON
  -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_SMB=ON -DCURL_STATIC_CRT=OFF -DENABLE_MANUAL=OFF)

# Static wxMSW (Debian's source package comes without the bundled image and zlib libraries,
# which the program does not need); the web view (IE backend), Scintilla and the tray icon are
# in, what the program never uses is left out.
wx_options=(--disable-shared --with-msw --enable-unicode --enable-webview --enable-stc
  --disable-webviewedge --without-zlib --without-libpng --without-libjpeg --without-libtiff
  --without-expat --with-regex=builtin --without-opengl --disable-mediactrl
  --disable-propgrid --disable-ribbon --disable-richtext --disable-xrc --disable-aui
  --disable-html --disable-svg --disable-webrequest --disable-debug_info --disable-tests)

wx_lib() {
  local src=$1 prefix=$2
  shift 2
  mkdir -p "$src/_build"
  (cd "$src/_build" &&
    ../configure --host="$host" --build="$(gcc -dumpmachine)" --prefix="$prefix" \
      CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-gcc-ar-posix" \
      RANLIB="$host-gcc-ranlib-posix" CXXFLAGS="-O2" CFLAGS="-O2" "$@" &&
    make -j "$jobs" &&
    make install)
}

build_thirdparty() {
  pcre2_prefix=$(thirdparty_build pcre2 pcre2 cmake_lib "${pcre2_options[@]}") || return 1
  curl_prefix=$(thirdparty_build curl curl cmake_lib "${curl_options[@]}") || return 1
  wx_prefix=$(thirdparty_build wxmsw wxwidgets3.2 wx_lib "${wx_options[@]}") || return 1
}
