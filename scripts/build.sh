#!/usr/bin/env bash
# Configures and builds one of the project's builds: native, asan or win.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-win}; shift || true
dir=$root/build/$kind
case $kind in
  native) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)   args=(-DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF) ;;
  win)    args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-w64.cmake) ;;
  *) echo "build: unknown build '$kind'" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" "$@"
