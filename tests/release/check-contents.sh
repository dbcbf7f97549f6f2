#!/usr/bin/env bash
# The release folder holds the three files and SHA256SUMS; each archive holds exactly its files,
# with fixed owners and modes; the zip's DLL is the DLL the Windows tests ran; the archive and the
# package carry the same Linux binaries; the package depends on whatever those binaries load; all
# three carry the manual with every picture it shows.
#   check-contents.sh RELEASE_DIR VERSION TESTED_DLL WORK_DIR
set -euo pipefail
dir=$1 version=$2 testedDll=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
win=Quorl-$version-windows-x64 lin=Quorl-$version-linux-x86_64 deb=quorl_${version}_amd64.deb
fail() { echo "$*" >&2; exit 1; }

files=$(cd "$dir" && ls -A | tr '\n' ' ')
[ "$files" = "$lin.tar.gz $win.zip SHA256SUMS $deb " ] || fail "release folder holds: $files"

# zip: names, modes, one time stamp for all.
zipList=$(zipinfo "$dir/$win.zip" | awk '/^[-d]r/ { print $1, $NF }')
[ "$zipList" = "-rw-r--r-- $win/Quorl-x64.dll
-rw-r--r-- $win/Quorl.vst3/Contents/Resources/moduleinfo.json
-rw-r--r-- $win/Quorl.vst3/Contents/x86_64-win/Quorl.vst3
-rw-r--r-- $win/README.txt
-rw-r--r-- $win/manual.html
-rw-r--r-- $win/manual/drive.png
-rw-r--r-- $win/manual/editor.png
-rw-r--r-- $win/manual/factory-presets.png
-rw-r--r-- $win/manual/filter-band.png
-rw-r--r-- $win/manual/filter-cutoff.png
-rw-r--r-- $win/manual/filter-morph.png
-rw-r--r-- $win/manual/filter-resonance.png
-rw-r--r-- $win/manual/quality.png
-rw-r--r-- $win/manual/self-oscillation.png
-rwxr-xr-x $win/vsthost.exe" ] || fail "zip holds: $zipList"
[ "$(zipinfo -T "$dir/$win.zip" | awk '/^[-d]r/ { print $7 }' | sort -u | wc -l)" = 1 ] ||
  fail "zip entries carry different times"
(cd "$work" && unzip -q "$dir/$win.zip")
cmp "$work/$win/Quorl-x64.dll" "$testedDll" ||
  fail "the zip's DLL is not $testedDll (was that built from the released commit?)"
testedVst3=$(dirname "$testedDll")/Quorl.vst3/Contents/x86_64-win/Quorl.vst3
cmp "$work/$win/Quorl.vst3/Contents/x86_64-win/Quorl.vst3" "$testedVst3" ||
  fail "the zip's VST 3 module is not $testedVst3"

tarList=$(tar tvzf "$dir/$lin.tar.gz" | awk '{ print $1, $2, $NF }')
[ "$tarList" = "drwxr-xr-x 0/0 $lin/
-rw-r--r-- 0/0 $lin/Quorl.so
drwxr-xr-x 0/0 $lin/Quorl.vst3/
drwxr-xr-x 0/0 $lin/Quorl.vst3/Contents/
drwxr-xr-x 0/0 $lin/Quorl.vst3/Contents/Resources/
-rw-r--r-- 0/0 $lin/Quorl.vst3/Contents/Resources/moduleinfo.json
drwxr-xr-x 0/0 $lin/Quorl.vst3/Contents/x86_64-linux/
-rw-r--r-- 0/0 $lin/Quorl.vst3/Contents/x86_64-linux/Quorl.so
-rw-r--r-- 0/0 $lin/README.txt
drwxr-xr-x 0/0 $lin/manual/
-rw-r--r-- 0/0 $lin/manual/drive.png
-rw-r--r-- 0/0 $lin/manual/editor.png
-rw-r--r-- 0/0 $lin/manual/factory-presets.png
-rw-r--r-- 0/0 $lin/manual/filter-band.png
-rw-r--r-- 0/0 $lin/manual/filter-cutoff.png
-rw-r--r-- 0/0 $lin/manual/filter-morph.png
-rw-r--r-- 0/0 $lin/manual/filter-resonance.png
-rw-r--r-- 0/0 $lin/manual/quality.png
-rw-r--r-- 0/0 $lin/manual/self-oscillation.png
-rw-r--r-- 0/0 $lin/manual.html
-rwxr-xr-x 0/0 $lin/vsthost" ] || fail "tar.gz holds: $tarList"
tar -xzf "$dir/$lin.tar.gz" -C "$work"

# The read-mes tell a musician the version, where things go and how to take them out again.
for readme in "$work/$win/README.txt" "$work/$lin/README.txt"; do
  for text in "Quorl $version" "Install" "Quorl.defaults" "Uninstall" "Bitstream" \
    "manual.html"; do
    grep -q "$text" "$readme" || fail "$readme does not mention $text"
  done
done
grep -q '%APPDATA%\\Harrowmint\\Quorl.defaults' "$work/$win/README.txt" || fail "no Windows defaults path"
grep -q '~/.vst' "$work/$lin/README.txt" || fail "no ~/.vst in the Linux read-me"
grep -q '~/.vst3' "$work/$lin/README.txt" || fail "no ~/.vst3 in the Linux read-me"
grep -q 'Common Files\\VST3' "$work/$win/README.txt" || fail "no VST3 folder in the Windows read-me"
[ "$(grep -c $'\r$' "$work/$win/README.txt")" = "$(wc -l <"$work/$win/README.txt")" ] ||
  fail "the Windows read-me has lines without CRLF"
grep -q $'\r' "$work/$lin/README.txt" && fail "the Linux read-me has CRs"

debList=$(dpkg-deb -c "$dir/$deb" | awk '{ print $1, $2, $NF }')
[ "$debList" = "drwxr-xr-x root/root ./
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/vsthost
drwxr-xr-x root/root ./usr/lib/
drwxr-xr-x root/root ./usr/lib/vst/
-rw-r--r-- root/root ./usr/lib/vst/Quorl.so
drwxr-xr-x root/root ./usr/lib/vst3/
drwxr-xr-x root/root ./usr/lib/vst3/Quorl.vst3/
drwxr-xr-x root/root ./usr/lib/vst3/Quorl.vst3/Contents/
drwxr-xr-x root/root ./usr/lib/vst3/Quorl.vst3/Contents/Resources/
-rw-r--r-- root/root ./usr/lib/vst3/Quorl.vst3/Contents/Resources/moduleinfo.json
drwxr-xr-x root/root ./usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux/
-rw-r--r-- root/root ./usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux/Quorl.so
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/quorl/
-rw-r--r-- root/root ./usr/share/doc/quorl/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/quorl/copyright
drwxr-xr-x root/root ./usr/share/doc/quorl/manual/
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/drive.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/editor.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/factory-presets.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/filter-band.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/filter-cutoff.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/filter-morph.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/filter-resonance.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/quality.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual/self-oscillation.png
-rw-r--r-- root/root ./usr/share/doc/quorl/manual.html" ] || fail ".deb holds: $debList"
[ "$(dpkg-deb -f "$dir/$deb" Package Version Architecture)" = "Package: quorl
Version: $version
Architecture: amd64" ] || fail "package fields: $(dpkg-deb -f "$dir/$deb")"
dpkg-deb -x "$dir/$deb" "$work/deb"
cmp "$work/deb/usr/lib/vst/Quorl.so" "$work/$lin/Quorl.so"
diff -r "$work/deb/usr/lib/vst3/Quorl.vst3" "$work/$lin/Quorl.vst3" || fail "the bundles differ"
cmp "$work/$win/Quorl.vst3/Contents/Resources/moduleinfo.json" \
  "$work/$lin/Quorl.vst3/Contents/Resources/moduleinfo.json" || fail "the bundles' module facts differ"
cmp "$work/deb/usr/bin/vsthost" "$work/$lin/vsthost"
grep -q '^License: Bitstream$' "$work/deb/usr/share/doc/quorl/copyright" || fail "no font licence"

# The manual is the same page in all three, rendered from its source, and every picture it shows
# is there beside it.
for page in "$work/$win/manual.html" "$work/$lin/manual.html"; do
  cmp "$page" "$work/deb/usr/share/doc/quorl/manual.html" || fail "$page differs from the package's"
done
page=$work/$lin/manual.html
for text in "<title>Quorl $version manual</title>" '<h2>The controls</h2>' '<table>' \
  '<h2>Factory presets</h2>'; do
  grep -qF "$text" "$page" || fail "the manual has no $text"
done
pictures=$(grep -o '<img src="[^"]*"' "$page" | sed 's/^<img src="//; s/"$//' | sort)
[ -n "$pictures" ] || fail "the manual shows no pictures"
for picture in $pictures; do
  for folder in "$work/$win" "$work/$lin" "$work/deb/usr/share/doc/quorl"; do
    [ -f "$folder/$picture" ] || fail "the manual shows $picture, which $folder lacks"
  done
done

# Every library the binaries load comes from a package the .deb depends on.
depends=$(dpkg-deb -f "$dir/$deb" Depends)
libraries=$(ldconfig -p)
echo "Depends: $depends"
for binary in "$work/deb/usr/lib/vst/Quorl.so" \
  "$work/deb/usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux/Quorl.so" "$work/deb/usr/bin/vsthost"; do
  for soname in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(awk -v n="$soname" '$1 == n && /x86-64/ { print $NF }' <<<"$libraries" | head -n 1)
    [ -n "$path" ] || fail "$soname (needed by $binary) is not installed here"
    package=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null ||
      dpkg -S "/usr$path" 2>/dev/null) || fail "no package owns $path"
    package=${package%%:*}
    tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$package" ||
      fail "$(basename "$binary") needs $soname from $package, which Depends lacks"
  done
done
echo "release contents as expected"
