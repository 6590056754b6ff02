#!/usr/bin/env bash
# Installs the Debian packages and the locale that building, running and testing need.
# Safe to run again: it only acts on what is missing.
set -euo pipefail

# openssl and socat: the https tests make a test authority and put TLS in front of their server.
# Chinese text under Wine (see scripts/wine-env.sh): fonts-arphic-gbsn00lp (1.7 MB) draws the
# SimSun and SimHei faces, the bitmap-hinted cut inside fonts-wqy-zenhei the YaHei faces.
packages=(cmake make g++ libgtest-dev g++-mingw-w64-x86-64 wine wine64 xvfb
          fonts-wqy-zenhei fonts-arphic-gbsn00lp clang libclang-rt-14-dev locales x11-utils
          openssl socat)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else
    echo "setup: need root to run: $*" >&2; exit 1; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# Wine draws the system's own caption buttons, scroll arrows and check marks with its Marlett
# font, which Debian ships in fonts-wine together with Wine's Tahoma and others. Only Marlett is
# taken from it, so the program's text keeps the faces scripts/wine-env.sh sets up; that script
# copies it into each prefix.
marlett=/usr/local/share/corvane/marlett.ttf
if [ ! -s "$marlett" ]; then
  echo "setup: taking Wine's Marlett font from fonts-wine"
  tmp=$(mktemp -d)
  if ! (cd "$tmp" && apt-get download -qq fonts-wine >/dev/null 2>&1); then
    as_root apt-get update -qq
    (cd "$tmp" && apt-get download -qq fonts-wine >/dev/null)
  fi
  dpkg-deb -x "$tmp"/fonts-wine_*.deb "$tmp/unpacked"
  as_root install -D -m 644 "$tmp/unpacked/usr/share/wine/fonts/marlett.ttf" "$marlett"
  rm -rf "$tmp"
fi

# Wine takes its ANSI code page (936) from the zh_CN locale, which must exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
