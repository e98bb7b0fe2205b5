#!/usr/bin/env bash
# Pictures of the themes for docs/screenshots: the list of the demo phone's
# themes, the question before a theme is removed, and the place dialog of
# the theme package Lagoon, taken on a fresh demo phone inside the phone
# sandbox with the program built in BUILD_DIR.
#
#   tests/themes/make-theme-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-theme-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
cat > "$work/script" <<SCRIPT
tab 4
shot $out/tab4-themes.png
current 1
menu 0
shot $out/theme-remove-question.png
no
SCRIPT
cat > "$work/install" <<SCRIPT
shot $out/theme-install-place.png
reject
SCRIPT
cd "$repo"
program=/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/vardel
EZX_AUTOMATION=$work/script EZX_TRANSCRIPT=$work/transcript EZX_MODEM=$work/phone/modem.ini QT_QPA_PLATFORM=offscreen \
  scripts/phone-sandbox "$work/phone" -- $program
EZX_AUTOMATION=$work/install EZX_TRANSCRIPT=$work/transcript QT_QPA_PLATFORM=offscreen \
  scripts/phone-sandbox "$work/phone" -- $program x /mmc/mmca1/mpkg/Lagoon.mpkg
if grep -q '"ok":false\|"event":"error"' "$work/transcript"; then
  cat "$work/transcript" >&2
  exit 1
fi
echo "pictures in $out"
