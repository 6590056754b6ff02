# Sourced: the project's own Wine prefix and the environment the program runs in.
# Never touches ~/.wine.
#
# Two prefixes with the same fonts: the test prefix (build/wineprefix, the default; tests and
# screenshots) has the desktop's font smoothing off so pixels are stable, the run prefix
# (build/wineprefix-run, CORVANE_PREFIX_USE=run, used by scripts/run.sh) has it on as a user's
# desktop does. CORVANE_WINEPREFIX overrides the folder of either.
CORVANE_ROOT=${CORVANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
CORVANE_PREFIX_USE=${CORVANE_PREFIX_USE:-test}
if [ "$CORVANE_PREFIX_USE" = run ]; then
  export WINEPREFIX=${CORVANE_WINEPREFIX:-$CORVANE_ROOT/build/wineprefix-run}
else
  export WINEPREFIX=${CORVANE_WINEPREFIX:-$CORVANE_ROOT/build/wineprefix}
fi
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installer prompts: either would hang a headless run.
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8

# The Chinese faces the program asks for, and what draws them (scripts/setup.sh installs both).
# SimSun and SimHei share em-square cells without leading: the song face below has the same
# metrics (so the memo's last line and the feedback page's bold 24-pixel caption stay in their
# boxes) and whole glyphs from its 12-pixel bitmaps. YaHei's taller lines match the
# bitmap-hinted cut of Zen Hei.
CORVANE_SONG_FONT="AR PL SungtiL GB"
CORVANE_HEI_FONT="WenQuanYi Zen Hei Sharp"
# The system's caption buttons and frame glyphs (scripts/setup.sh puts the font there).
CORVANE_MARLETT=${CORVANE_MARLETT:-/usr/local/share/corvane/marlett.ttf}

# Prepares the prefix once (again when this stamp's version is raised); later calls return
# at once.
corvane_prepare_prefix() {
  local stamp=$WINEPREFIX/.corvane-prefix-v4-$CORVANE_PREFIX_USE
  [ -f "$stamp" ] && return 0
  echo "wine: preparing the prefix $WINEPREFIX (first run only)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  local reg=$WINEPREFIX/corvane.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"mscoree"=""\r\n"mshtml"=""\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n'
    if [ "$CORVANE_PREFIX_USE" = run ]; then
      # ClearType-style subpixel smoothing, RGB order, as a desktop has it by default.
      printf '"FontSmoothing"="2"\r\n"FontSmoothingType"=dword:00000002\r\n'
      printf '"FontSmoothingGamma"=dword:00000578\r\n"FontSmoothingOrientation"=dword:00000001\r\n\r\n'
    else
      printf '"FontSmoothing"="0"\r\n"FontSmoothingType"=dword:00000000\r\n\r\n'
    fi
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for name in 宋体 SimSun 新宋体 NSimSun 黑体 SimHei; do
      printf '"%s"="%s"\r\n' "$name" "$CORVANE_SONG_FONT"
    done
    for name in 微软雅黑 "Microsoft YaHei"; do printf '"%s"="%s"\r\n' "$name" "$CORVANE_HEI_FONT"; done
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  # Latin faces (the banner's Tahoma labels, dialogs) reach Chinese glyphs through links.
  local face link="gbsn00lp.ttf,$CORVANE_SONG_FONT\0wqy-zenhei.ttc,$CORVANE_HEI_FONT"
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
  done
  # Without Marlett, Wine draws its caption buttons as the letters "0 1 r".
  if [ -s "$CORVANE_MARLETT" ]; then
    cp "$CORVANE_MARLETT" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
  else
    echo "wine: $CORVANE_MARLETT is missing (scripts/setup.sh): caption buttons will show letters" >&2
  fi
  wineserver -w
  touch "$stamp"
}

# Uses the current display when one answers, else starts Xvfb for the caller.
corvane_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 91 160); do
    if [ -e /tmp/.X$n-lock ]; then
      # A server killed without tidying up leaves its lock behind: reuse the number then.
      local pid
      pid=$(tr -dc '0-9' < /tmp/.X$n-lock 2>/dev/null)
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then continue; fi
      rm -f /tmp/.X$n-lock /tmp/.X11-unix/X$n 2>/dev/null || continue
    fi
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    CORVANE_XVFB_PID=$!
    export DISPLAY=:$n
    local up=no
    for _ in $(seq 50); do
      if xdpyinfo >/dev/null 2>&1; then up=yes; break; fi
      sleep 0.1
    done
    if [ "$up" != yes ]; then
      kill "$CORVANE_XVFB_PID" 2>/dev/null || true
      unset CORVANE_XVFB_PID DISPLAY
      continue
    fi
    echo "display: no display found, using Xvfb on $DISPLAY"
    return 0
  done
  echo "display: could not start Xvfb" >&2
  return 1
}

corvane_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${CORVANE_XVFB_PID:-}" ]; then kill "$CORVANE_XVFB_PID" 2>/dev/null || true; fi
}
