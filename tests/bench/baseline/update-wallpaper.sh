#!/usr/bin/env bash
# The script a user would write instead of Dromix: fetch the comic's front page, pick the strip's
# URL out of it, download the strip and convert it to a Windows bitmap with ImageMagick. Linux has
# no SystemParametersInfo, so the wallpaper step is left out (scripts/bench says so).
#   update-wallpaper.sh PAGE_URL OUT.bmp
set -euo pipefail
page_url=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src=$(curl -fsS "$page_url" | grep -o 'alt="Latest Strip"[^>]*SRC="[^"]*"' | head -n 1 | sed 's/.*SRC="\([^"]*\)".*/\1/')
[[ -n "$src" ]] || { echo "Unable to locate image" >&2; exit 1; }
case "$src" in
  http://*|https://*) url=$src ;;
  *) url="${page_url%/}/${src#/}" ;;
esac
curl -fsS -o "$work/strip" "$url"
convert "$work/strip[0]" "BMP3:$out.tmp"
mv "$out.tmp" "$out"
