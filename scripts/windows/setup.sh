# Sourced by scripts/build-windows and scripts/test-windows: packages of the cross-build and of
# the Wine test run, and the Debian source packages of the third-party libraries.

host=x86_64-w64-mingw32
cache=${XDG_CACHE_HOME:-$HOME/.cache}/nuvaro-windows

win_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 nsis dpkg-dev zip cmake ninja-build pkg-config
  xvfb xauth xdotool imagemagick fonts-noto-cjk python3-aiosmtpd locales
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# A locale of the C library, generated when missing: Wine takes its own locale from it.
generate_locale() {
  local name=$1
  locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}" && return 0
  as_root sed -i "s/^# *\(${name} \)/\1/" /etc/locale.gen
  grep -q "^${name} " /etc/locale.gen || echo "${name} ${name#*.}" | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
}

# Source entries beside the binary ones of Debian's archive, when the machine has none.
enable_deb_src() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  local out=/etc/apt/sources.list.d/nuvaro-deb-src.sources tmp
  tmp=$(mktemp)
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # Stanzas of Debian's archive, with their type turned into deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /URIs:[^\n]*debian/ && /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      "$f" >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list >"$tmp.list"
    [ -s "$tmp.list" ] && as_root cp "$tmp.list" /etc/apt/sources.list.d/nuvaro-deb-src.list
    rm -f "$tmp.list"
  fi
  [ -s "$tmp" ] && as_root cp "$tmp" "$out"
  rm -f "$tmp"
  as_root apt-get update -qq
}

# Versions of Debian's source package $1 that apt knows, newest first.
source_versions() {
  apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u |
    sort -r -V
}

# Downloads version $2 of source package $1 and unpacks it into folder $3 (fresh).
unpack_source() {
  local name=$1 version=$2 dest=$3 dl
  dl=$(mktemp -d)
  chmod 755 "$dl"
  if ! (cd "$dl" && apt-get source -qq --download-only "$name=$version" >/dev/null 2>&1); then
    rm -rf "$dl"
    return 1
  fi
  rm -rf "$dest"
  mkdir -p "$(dirname "$dest")"
  dpkg-source -x "$dl"/"$name"_*.dsc "$dest" >/dev/null 2>&1 || { rm -rf "$dl"; return 1; }
  rm -rf "$dl"
}
