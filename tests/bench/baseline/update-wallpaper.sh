#!/usr/bin/env bash
# The script a user would write instead of Dromix: fetch the comic's front page, pick the strip's
# URL out of it, download the strip and convert it to a Windows bitmap with ImageMagick. Linux has
# no SystemParametersInfo, so the wallpaper step is left out (scripts/bench says so). Given a
# screen's size, it composes the bitmap for that screen as Dromix does: the strip shrunk to fit nine
# tenths of it (never enlarged), centred, the desktop colour around it.
#   update-wallpaper.sh PAGE_URL OUT.bmp [WIDTHxHEIGHT]
set -euo pipefail
page_url=$1
out=$2
screen=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src=$(curl -fsS "$page_url" | grep -o 'alt="Latest Strip"[^>]*SRC="[^"]*"' | head -n 1 | sed 's/.*SRC="\([^"]*\)".*/\1/')
[[ -n "$src" ]] || { echo "Unable to locate image" >&2; exit 1; }
case "$src" in
  http://*|https://*) url=$src ;;
  *) url="${page_url%/}/${src#/}" ;;
esac
curl -fsS -o "$work/strip" "$url"
if [[ -n "$screen" ]]; then
  width=${screen%x*}
  height=${screen#*x}
  convert "$work/strip[0]" -resize "$((width - 2 * (width / 20)))x$((height - 2 * (height / 20)))>" \
    -background '#3a6ea5' -gravity center -extent "$screen" "BMP3:$out.tmp"
else
  convert "$work/strip[0]" "BMP3:$out.tmp"
fi
mv "$out.tmp" "$out"
