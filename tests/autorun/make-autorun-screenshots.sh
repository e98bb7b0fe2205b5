#!/usr/bin/env bash
# Pictures of the autorun tab for docs/screenshots, taken on a fresh demo
# phone inside the phone sandbox with the program built in BUILD_DIR: the
# tab, the switch of an entry and the name asked for a new entry.
#
#   tests/autorun/make-autorun-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-autorun-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
printf '#!/bin/sh\n' > "$work/phone/ezxlocal/download/mystuff/scripts/backup.sh"
cat > "$work/script" <<SCRIPT
tab 1
shot $out/tab1-autorun.png
activate 3
shot $out/autorun-switch.png
reject
menu 0
file /ezxlocal/download/mystuff/scripts/backup.sh
shot $out/autorun-name.png
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
