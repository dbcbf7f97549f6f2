#!/usr/bin/env bash
# The package installs into an empty root (its own dpkg database), puts exactly its files there,
# the installed host tool loads the installed plug-in, and removal leaves nothing but dpkg's records.
#   check-deb-install.sh DEB WORK_DIR
set -euo pipefail
deb=$1 work=$2
rm -rf "$work"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$work/settings"
touch "$root/var/lib/dpkg/status"
# Only the package's own files are under test: the libraries it depends on are the host's.
dpkg=(dpkg --root="$root" --force-not-root --force-depends)

"${dpkg[@]}" -i "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
listed=$("${dpkg[@]}" -L quorl | grep -v '^/\.$' | sort)
present=$(cd "$root" && find usr | sed 's|^|/|' | sort)
wanted="/usr
/usr/bin
/usr/bin/vsthost
/usr/lib
/usr/lib/vst
/usr/lib/vst/Quorl.so
/usr/lib/vst3
/usr/lib/vst3/Quorl.vst3
/usr/lib/vst3/Quorl.vst3/Contents
/usr/lib/vst3/Quorl.vst3/Contents/Resources
/usr/lib/vst3/Quorl.vst3/Contents/Resources/moduleinfo.json
/usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux
/usr/lib/vst3/Quorl.vst3/Contents/x86_64-linux/Quorl.so
/usr/share
/usr/share/doc
/usr/share/doc/quorl
/usr/share/doc/quorl/changelog.gz
/usr/share/doc/quorl/copyright
/usr/share/doc/quorl/manual
/usr/share/doc/quorl/manual.html
/usr/share/doc/quorl/manual/drive.png
/usr/share/doc/quorl/manual/editor.png
/usr/share/doc/quorl/manual/factory-presets.png
/usr/share/doc/quorl/manual/filter-band.png
/usr/share/doc/quorl/manual/filter-cutoff.png
/usr/share/doc/quorl/manual/filter-morph.png
/usr/share/doc/quorl/manual/filter-resonance.png
/usr/share/doc/quorl/manual/quality.png
/usr/share/doc/quorl/manual/self-oscillation.png"
[ "$listed" = "$wanted" ] || { printf 'dpkg lists:\n%s\n' "$listed" >&2; exit 1; }
[ "$present" = "$wanted" ] || { printf 'installed:\n%s\n' "$present" >&2; exit 1; }

XDG_CONFIG_HOME=$work/settings "$root/usr/bin/vsthost" info "$root/usr/lib/vst/Quorl.so" \
  >"$work/info.txt"
grep -q '^effectName      "Quorl"$' "$work/info.txt" || { cat "$work/info.txt"; exit 1; }

"${dpkg[@]}" --purge quorl >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; exit 1; }
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' \
  ! -path './var/lib/dpkg/*')
[ -z "$left" ] || { printf 'left after removal:\n%s\n' "$left" >&2; exit 1; }
grep -q '^Package: quorl$' "$root/var/lib/dpkg/status" &&
  { echo "dpkg still knows the package after purge" >&2; exit 1; }
echo "installed, loaded and removed in $root"
