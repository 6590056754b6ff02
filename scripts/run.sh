#!/usr/bin/env bash
# Builds Corvane when needed and runs it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win --target Corvane >/dev/null
# The run prefix: same fonts as the tests, text smoothed as on a desktop.
CORVANE_PREFIX_USE=run source "$root/scripts/wine-env.sh"
corvane_prepare_prefix
corvane_ensure_display
trap corvane_cleanup EXIT
wine "$root/build/win/bin/Corvane.exe" "$@"
