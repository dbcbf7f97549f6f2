#!/usr/bin/env bash
# Builds the release files of the committed tree (HEAD, exported afresh, so that nothing built or
# edited by hand comes along) and writes them, with their SHA256SUMS, into build/release/:
#   Quorl-VERSION-windows-x64.zip     Quorl-x64.dll, the Quorl.vst3 bundle, vsthost.exe,
#                                     README.txt, the manual
#   Quorl-VERSION-linux-x86_64.tar.gz Quorl.so, the Quorl.vst3 bundle, vsthost, README.txt, the manual
#   quorl_VERSION_amd64.deb           /usr/lib/vst/Quorl.so, /usr/lib/vst3/Quorl.vst3,
#                                     /usr/bin/vsthost, copyright, changelog, the manual
# The manual is docs/manual.md as HTML (manual.html) with its pictures beside it (manual/*.png).
# The same commit gives the same bytes: every time stamp is the commit's, entries are sorted,
# owners and modes are fixed, and no build folder reaches the binaries.
#   release.sh [--out DIR] [--work DIR] [--no-setup]
# --work: where the commit is exported and built (default build/release-work, emptied first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/release
work=$root/build/release-work
setup=1
while [ $# -gt 0 ]; do
  case "$1" in
  --out) out=$2; shift 2 ;;
  --work) work=$2; shift 2 ;;
  --no-setup) setup=0; shift ;;
  *) echo "usage: release.sh [--out DIR] [--work DIR] [--no-setup]" >&2; exit 2 ;;
  esac
done
mkdir -p "$out" "$work"
out=$(cd "$out" && pwd)
work=$(cd "$work" && pwd)
case "$out/" in "$work"/*) echo "release: --out must lie outside --work" >&2; exit 2 ;; esac

[ "$setup" = 0 ] || "$root/scripts/setup.sh"
jobs=$(nproc)
export LC_ALL=C TZ=UTC
umask 022
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain)" ]; then
  echo "release: note: the working tree has changes; the release is built from HEAD without them" >&2
fi
# Who answers for the package; one place for the archives and the .deb.
maintainer="Harrowmint <quorl@harrowmint.example>"

step() { echo "== release: $*"; }
# Runs a command with its output in a log, shown only when it fails.
quiet() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "release: failed: $* (log: $log)" >&2
    exit 1
  fi
}

step "exporting ${commit:0:12} into $work/src"
find "$work" -mindepth 1 -delete
mkdir -p "$work/src" "$work/logs"
git -C "$root" archive --format=tar HEAD | tar -x -C "$work/src"
src=$work/src
version=$(sed -n 's/^project(Quorl VERSION \([0-9][0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no project version in CMakeLists.txt" >&2; exit 1; }
year=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y)

# The FreeType source package that a Windows build already fetched is reused (apt verified it);
# FreeType itself is compiled afresh.
if [ -f "$root/build/windows/freetype/download/.complete" ]; then
  mkdir -p "$work/windows/freetype"
  cp -a "$root/build/windows/freetype/download" "$work/windows/freetype/"
fi

step "building for Linux"
quiet "$work/logs/linux-configure.log" cmake -S "$src" -B "$work/linux" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr
quiet "$work/logs/linux-build.log" cmake --build "$work/linux" -j"$jobs" --target Quorl Quorl_vst3 vsthost
step "building for Windows"
quiet "$work/logs/windows-configure.log" cmake -S "$src" -B "$work/windows" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake"
quiet "$work/logs/windows-build.log" cmake --build "$work/windows" -j"$jobs" --target Quorl Quorl_vst3 \
  vsthost

# The plug-in's Linux files as the package installs them; the archive takes the same.
stage=$work/stage
quiet "$work/logs/linux-install.log" env DESTDIR="$stage" cmake --install "$work/linux"
so=$stage/usr/lib/vst/Quorl.so
bundle=$stage/usr/lib/vst3/Quorl.vst3
so3=$bundle/Contents/x86_64-linux/Quorl.so
host=$stage/usr/bin/vsthost
for file in "$so" "$so3" "$bundle/Contents/Resources/moduleinfo.json" "$host"; do
  [ -f "$file" ] || { echo "release: the install left no $file" >&2; exit 1; }
done
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$so" "$so3"
strip --remove-section=.comment --remove-section=.note "$host"

# The licence of the font the plug-in carries, from its package's copyright file.
veraLicence=$(awk -v RS= '/^License: Bitstream\n / { sub(/^[^\n]*\n/, ""); print; exit }' \
  /usr/share/doc/ttf-bitstream-vera/copyright)
[ -n "$veraLicence" ] || { echo "release: no Bitstream licence in ttf-bitstream-vera's copyright" >&2; exit 1; }

# fill TEMPLATE: the template with the release's values in place.
fill() {
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    if [ "$line" = "@VERA_LICENCE@" ]; then
      sed -e 's/^ \.$//' -e 's/^ /  /' <<<"$veraLicence"
    elif [ "$line" = "@MANUAL@" ]; then
      cmark-gfm --extension table --unsafe --to html "$src/docs/manual.md"
    else
      line=${line//@VERSION@/$version}
      line=${line//@YEAR@/$year}
      line=${line//@MAINTAINER@/$maintainer}
      printf '%s\n' "$line"
    fi
  done <"$1"
}

# Every file and folder gets the commit's time; files are 0644 unless executable.
settle() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

rm -f "$out"/Quorl-*.zip "$out"/Quorl-*.tar.gz "$out"/quorl_*.deb "$out/SHA256SUMS"

# The manual for every archive and the package: one page, its pictures in manual/ beside it.
manual=$work/manual
mkdir -p "$manual/manual"
fill "$src/packaging/manual.html.in" >"$manual/manual.html"
install -m 0644 "$src"/docs/manual/*.png "$manual/manual/"
chmod 0644 "$manual/manual.html"
# addManual DIR: the manual's files into DIR.
addManual() {
  mkdir -p "$1/manual"
  install -m 0644 "$manual/manual.html" "$1/manual.html"
  install -m 0644 "$manual"/manual/*.png "$1/manual/"
}
base=Quorl-$version

step "packing $base-windows-x64.zip"
winDir=$work/pkg/$base-windows-x64
mkdir -p "$winDir"
install -m 0644 "$work/windows/Quorl-x64.dll" "$winDir/Quorl-x64.dll"
winBundle=$work/windows/Quorl.vst3/Contents
install -D -m 0644 "$winBundle/x86_64-win/Quorl.vst3" "$winDir/Quorl.vst3/Contents/x86_64-win/Quorl.vst3"
install -D -m 0644 "$winBundle/Resources/moduleinfo.json" \
  "$winDir/Quorl.vst3/Contents/Resources/moduleinfo.json"
x86_64-w64-mingw32-strip -o "$winDir/vsthost.exe" "$work/windows/tools/vsthost/vsthost.exe"
chmod 0755 "$winDir/vsthost.exe"
fill "$src/packaging/README-windows.txt.in" | sed 's/$/\r/' >"$winDir/README.txt"
chmod 0644 "$winDir/README.txt"
addManual "$winDir"
settle "$winDir"
# zip stores local times: with TZ=UTC they are the commit's. -X drops owners and extra times.
(cd "$work/pkg" && find "$base-windows-x64" -type f | sort |
  zip -q -X -D -9 "$out/$base-windows-x64.zip" -@)

step "packing $base-linux-x86_64.tar.gz"
linDir=$work/pkg/$base-linux-x86_64
mkdir -p "$linDir"
install -m 0644 "$so" "$linDir/Quorl.so"
cp -R "$bundle" "$linDir/Quorl.vst3"
install -m 0755 "$host" "$linDir/vsthost"
fill "$src/packaging/README-linux.txt.in" >"$linDir/README.txt"
chmod 0644 "$linDir/README.txt"
addManual "$linDir"
settle "$linDir"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
  -C "$work/pkg" -cf - "$base-linux-x86_64" | gzip -9n >"$out/$base-linux-x86_64.tar.gz"

step "packing quorl_${version}_amd64.deb"
deb=$work/deb
doc=$deb/usr/share/doc/quorl
mkdir -p "$deb/DEBIAN" "$deb/usr/lib/vst" "$deb/usr/lib/vst3" "$deb/usr/bin" "$doc"
install -m 0644 "$so" "$deb/usr/lib/vst/Quorl.so"
cp -R "$bundle" "$deb/usr/lib/vst3/Quorl.vst3"
install -m 0755 "$host" "$deb/usr/bin/vsthost"
{
  fill "$src/packaging/debian/copyright.in"
  echo "License: Bitstream"
  printf '%s\n' "$veraLicence"
} >"$doc/copyright"
DATE=$(date -u -R -d "@$SOURCE_DATE_EPOCH")
fill "$src/packaging/debian/changelog.in" | sed "s/@DATE@/$DATE/" | gzip -9n >"$doc/changelog.gz"
chmod 0644 "$doc/copyright" "$doc/changelog.gz"
addManual "$doc"

# The dependencies are those of the binaries as built, so they follow whatever the plug-in links.
mkdir -p "$work/shlibdeps/debian"
printf 'Source: quorl\nMaintainer: %s\n\nPackage: quorl\nArchitecture: amd64\n' "$maintainer" \
  >"$work/shlibdeps/debian/control"
depends=$(cd "$work/shlibdeps" &&
  dpkg-shlibdeps -O -e"$deb/usr/lib/vst/Quorl.so" \
    -e"$deb/usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux/Quorl.so" -e"$deb/usr/bin/vsthost" \
    2>"$work/logs/shlibdeps.log" |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { cat "$work/logs/shlibdeps.log" >&2; echo "release: no dependencies found" >&2; exit 1; }
# As dpkg counts it: a KiB per started KiB of each file, one per folder.
installedSize=$(cd "$deb" && find usr -printf '%y %s\n' |
  awk '$1 == "f" { n += int(($2 + 1023) / 1024) } $1 != "f" { n += 1 } END { print n }')
fill "$src/packaging/debian/control.in" |
  sed -e "s/@DEPENDS@/$depends/" -e "s/@INSTALLED_SIZE@/$installedSize/" >"$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | sort | xargs md5sum) >"$deb/DEBIAN/md5sums"
chmod 0644 "$deb/DEBIAN/control" "$deb/DEBIAN/md5sums"
settle "$deb"
quiet "$work/logs/dpkg-deb.log" dpkg-deb --root-owner-group -Zxz --build "$deb" \
  "$out/quorl_${version}_amd64.deb"

step "lintian"
# Errors stop the release; warnings are shown.
lintian --fail-on error --tag-display-limit 0 "$out/quorl_${version}_amd64.deb" | tee "$work/logs/lintian.log"

(cd "$out" && sha256sum "$base-windows-x64.zip" "$base-linux-x86_64.tar.gz" \
  "quorl_${version}_amd64.deb" >SHA256SUMS)
step "done: $out (commit ${commit:0:12}, SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH)"
(cd "$out" && ls -l --time-style=+ -- * | awk '{ print "  " $5, $NF }' && sed 's/^/  /' SHA256SUMS)
