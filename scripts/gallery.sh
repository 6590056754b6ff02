#!/usr/bin/env bash
# Builds the control gallery and writes a PNG of its window (Xvfb when there is no display).
# Usage: scripts/gallery.sh [output.png]    (docs/gallery.png by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/gallery.png}")
"$root/scripts/build.sh" win --target gallery >/dev/null
source "$root/scripts/wine-env.sh"
corvane_prepare_prefix
corvane_ensure_display
trap corvane_cleanup EXIT
timeout -k 10 120 wine "$root/build/win/bin/gallery.exe" --capture "$(winepath -w "$out")"
echo "wrote $out"
