#!/usr/bin/env bash
# Pictures of a skin changed while the program runs (Xvfb when there is no display): the main
# window switched from its built-in skin to SKIN_FILE through its skin choice, the program
# started with SKIN_FILE to set beside it, and the control gallery after its skin was taken off.
# Usage: scripts/switchshots.sh FOLDER SKIN_FILE
# Writes main-window-switched-live.png, main-window-cold-start.png and gallery-unskinned-live.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: switchshots.sh FOLDER SKIN_FILE}")
skin=$(realpath "${2:?usage: switchshots.sh FOLDER SKIN_FILE}")
"$root/scripts/build.sh" win --target Corvane screenshot switchshots >/dev/null
source "$root/scripts/wine-env.sh"
corvane_prepare_prefix
corvane_ensure_display
trap corvane_cleanup EXIT
mkdir -p "$out"
timeout -k 10 120 wine "$root/build/win/bin/switchshots.exe" "$(winepath -w "$out")" \
  "$(winepath -w "$skin")"
# The cold start: alone on the screen, as a user starting it with the option sees it.
wine "$root/build/win/bin/Corvane.exe" --skin "$(winepath -w "$skin")" &
timeout 60 wine "$root/build/win/bin/screenshot.exe" \
  "$(winepath -w "$out/main-window-cold-start.png")" "Corvane 1.1 正式免费版" 30
echo "wrote $out"
