#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: packages already present are
# left alone, and apt's lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick libgl1 libgl1-mesa-dri libglx-mesa0
  libx11-dev libgl-dev
  libfreetype-dev ttf-bitstream-vera
  googletest libgtest-dev libbenchmark-dev
  libpng-dev zlib1g-dev
  libx11-dev libxtst-dev libxres-dev openbox
  libxrandr-dev libxinerama-dev libxdamage-dev
  clang libclang-rt-14-dev llvm
  dpkg-dev zip unzip lintian
  gnuplot-nox cmark-gfm
  locales
  # A real VST 3 host for the bundle, run headless: its scanner, ardour7-lua and the dummy backend.
  ardour gdb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "setup: all packages present"
fi

# The Windows build cross-compiles FreeType from Debian's source package, so apt needs the source
# entries of the system's own archives.
srcList=/etc/apt/sources.list.d/quorl-src.sources
if [ ! -e "$srcList" ]; then
  echo "setup: adding source package entries ($srcList)"
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $sudo tee "$srcList" >/dev/null
  $sudo apt-get update -qq
fi

# The parameter texts are tested in locales whose decimal point is not ".": a comma (de_DE) and a
# point of two bytes in UTF-8 (ps_AF). A fresh system has neither compiled.
for name in de_DE ps_AF; do
  if ! locale -a 2>/dev/null | grep -qix "$name.utf-\?8"; then
    echo "setup: making the locale $name.UTF-8"
    $sudo localedef -i "$name" -f UTF-8 "$name.UTF-8"
  fi
done
