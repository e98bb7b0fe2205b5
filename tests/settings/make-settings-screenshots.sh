#!/usr/bin/env bash
# Pictures of the settings tab for docs/screenshots: the tab on a fresh demo
# phone, the equalizer's preset list and the font list, taken inside the
# phone sandbox with the program built in BUILD_DIR.
#
#   tests/settings/make-settings-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-settings-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
cat > "$work/script" <<SCRIPT
tab 2
shot $out/tab2-settings.png
activate 6
check 0
shot $out/settings-equalizer.png
reject
activate 0
shot $out/settings-alarm.png
reject
activate 7
check 1
shot $out/settings-font-list.png
reject
SCRIPT
cd "$repo"
EZX_AUTOMATION=$work/script EZX_TRANSCRIPT=$work/transcript QT_QPA_PLATFORM=offscreen \
  scripts/phone-sandbox "$work/phone" -- /ezxlocal/download/mystuff/.system/QTDownLoad/vardel/vardel
if grep -q '"ok":false\|"event":"error"' "$work/transcript"; then
  cat "$work/transcript" >&2
  exit 1
fi
echo "pictures in $out"
