#!/usr/bin/env bash
# Fetches Debian's FreeType source package and unpacks its upstream tarball for the Windows cross
# build (Debian's patches only matter to their own packaging). Does nothing once DEST_DIR/src is
# complete; an interrupted unpack is redone.
#   fetch-freetype-source.sh DEST_DIR
set -euo pipefail
dest=${1:?usage: fetch-freetype-source.sh DEST_DIR}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
marker=$dest/src/.unpacked

if [ -f "$marker" ]; then
  echo "freetype source: already unpacked in $dest/src ($(cat "$marker"))"
  exit 0
fi

upstreamTarball() {
  find "$dest/download" -maxdepth 1 -name 'freetype_*.orig.tar.*' ! -name '*.asc' | sort | tail -n 1
}

# A download counts only once apt-get has finished it: a killed one could leave a cut tarball.
if [ ! -f "$dest/download/.complete" ]; then
  rm -rf "$dest/download"
  mkdir -p "$dest/download"
  echo "freetype source: downloading Debian's source package into $dest/download"
  # apt's chatter goes to a log, shown only when the download fails.
  log=$dest/download.log
  if ! (cd "$dest/download" && apt-get source -q --download-only freetype) >"$log" 2>&1; then
    # Source lists that were never fetched (or went stale) look just like a missing package.
    echo "freetype source: refreshing apt's lists and trying again"
    if ! { apt-get update -qq &&
      (cd "$dest/download" && apt-get source -q --download-only freetype); } >>"$log" 2>&1; then
      cat "$log" >&2
      echo "freetype source: apt-get source failed (has scripts/setup.sh run?)" >&2
      exit 1
    fi
  fi
  touch "$dest/download/.complete"
fi
tarball=$(upstreamTarball)
[ -n "$tarball" ] || { echo "freetype source: no upstream tarball in $dest/download" >&2; exit 1; }

# Unpacked beside the destination and moved in whole, so a half-written tree never looks done.
rm -rf "$dest/src" "$dest/src.partial"
mkdir -p "$dest/src.partial"
tar -xf "$tarball" -C "$dest/src.partial" --strip-components=1
[ -f "$dest/src.partial/CMakeLists.txt" ] ||
  { echo "freetype source: $tarball has no CMakeLists.txt at its top" >&2; exit 1; }
version=$(basename "$(find "$dest/download" -maxdepth 1 -name 'freetype_*.dsc' | sort | tail -n 1)" .dsc)
echo "${version#freetype_} from $(basename "$tarball")" >"$dest/src.partial/.unpacked"
mv "$dest/src.partial" "$dest/src"
echo "freetype source: unpacked $(basename "$tarball") into $dest/src"
