#!/usr/bin/env bash
# Runs Corvane under Wine (Xvfb when there is no display) and writes a PNG of its window.
# Usage: scripts/screenshot.sh output.png [window caption]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/main-window.png}")
caption=${2:-Corvane 1.1 正式免费版}
"$root/scripts/build.sh" win --target Corvane screenshot >/dev/null
source "$root/scripts/wine-env.sh"
corvane_prepare_prefix
corvane_ensure_display
trap corvane_cleanup EXIT
wine "$root/build/win/bin/Corvane.exe" &
timeout 60 wine "$root/build/win/bin/screenshot.exe" "$(winepath -w "$out")" "$caption" 30
echo "wrote $out"
