#!/usr/bin/env bash
# Pictures of the window for docs/screenshots: the five tabs, the open
# options menu and the language chooser, taken on a fresh demo phone inside
# the phone sandbox with the program built in BUILD_DIR.
#
#   tests/e2e/make-shell-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-shell-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
cat > "$work/script" <<SCRIPT
shot $out/tab0-applications.png
tab 1
shot $out/tab1-autorun.png
tab 2
shot $out/tab2-settings.png
tab 3
shot $out/tab3-security.png
tab 4
shot $out/tab4-themes.png
tab 0
softkey 0
shot $out/options-menu.png
softkey 1
menu 2
shot $out/language-chooser.png
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
