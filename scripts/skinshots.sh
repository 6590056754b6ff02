#!/usr/bin/env bash
# Pictures of the program's windows and the control gallery in a skin (Xvfb when there is no
# display): the main window active and inactive, its pages, a message box, the open dialog, the
# system menu, the gallery and a nested menu.
# Usage: scripts/skinshots.sh FOLDER [SKIN_FILE]   (the carried skin when no file is given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: skinshots.sh FOLDER [SKIN_FILE]}")
skin=${2:+$(realpath "$2")}
"$root/scripts/build.sh" win --target skinshots >/dev/null
source "$root/scripts/wine-env.sh"
corvane_prepare_prefix
corvane_ensure_display
trap corvane_cleanup EXIT
mkdir -p "$out"
args=("$(winepath -w "$out")")
[ -n "$skin" ] && args+=(--skin "$(winepath -w "$skin")")
timeout -k 10 120 wine "$root/build/win/bin/skinshots.exe" "${args[@]}"
echo "wrote $out"
