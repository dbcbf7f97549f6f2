#!/usr/bin/env bash
# Two release builds of one commit give the same bytes, and each SHA256SUMS holds.
#   check-reproducible.sh DIR_A DIR_B
set -euo pipefail
a=$1 b=$2
(cd "$a" && sha256sum --quiet -c SHA256SUMS)
(cd "$b" && sha256sum --quiet -c SHA256SUMS)
[ "$(wc -l <"$a/SHA256SUMS")" = 3 ] || { echo "SHA256SUMS should name three files" >&2; exit 1; }
if cmp -s "$a/SHA256SUMS" "$b/SHA256SUMS"; then
  cat "$a/SHA256SUMS"
  echo "two builds, identical release files"
  exit 0
fi
diff "$a/SHA256SUMS" "$b/SHA256SUMS" >&2 || true
# Which member differs, to start the search.
for f in "$a"/*.zip; do
  diff <(unzip -p "$f" | sha256sum) <(unzip -p "$b/$(basename "$f")" | sha256sum) >&2 || true
  diff <(zipinfo -l "$f" | tail -n +3) <(zipinfo -l "$b/$(basename "$f")" | tail -n +3) >&2 || true
done
for f in "$a"/*.tar.gz; do
  diff <(tar tvzf "$f") <(tar tvzf "$b/$(basename "$f")") >&2 || true
done
for f in "$a"/*.deb; do
  diff <(dpkg-deb -c "$f"; dpkg-deb -I "$f") <(dpkg-deb -c "$b/$(basename "$f")"; dpkg-deb -I "$b/$(basename "$f")") >&2 || true
done
echo "the two builds differ" >&2
exit 1
