#!/usr/bin/env bash
# The committed pictures (res/png/ and docs/) hold, frame by frame, the very pixels that
# res/art/draw_art.py draws: a picture recompressed lossily, edited by hand or not drawn again after
# a change of the drawing program fails here. The drawing goes to a temporary folder.
# Skipped (77) without the art tools (scripts/setup --art).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if ! /usr/bin/python3 -c 'import PIL' 2>/dev/null; then
  echo "no Pillow for /usr/bin/python3; scripts/setup --art installs it"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/res/art"
cp "$root/res/art/draw_art.py" "$work/res/art/"
/usr/bin/python3 "$work/res/art/draw_art.py" >/dev/null
/usr/bin/python3 "$root/res/art/recompress.py" --same "$root/res/png" "$work/res/png"
/usr/bin/python3 "$root/res/art/recompress.py" --same "$root/docs" "$work/docs"
