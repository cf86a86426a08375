#!/bin/sh
# Regenerates the artwork into a scratch folder and compares it byte for
# byte with the committed files, both ways.
set -eu
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 "$src/assets/generate.py" --root "$tmp"
status=0
for f in $(cd "$tmp" && find . -type f | sort); do
  cmp "$tmp/$f" "$src/$f" || status=1
done
for f in $(cd "$src" && find assets/bitmaps assets/icons -type f | sort); do
  [ -e "$tmp/$f" ] || { echo "committed but no longer generated: $f"; status=1; }
done
[ $status -eq 0 ] && echo "artwork matches its generator"
exit $status
