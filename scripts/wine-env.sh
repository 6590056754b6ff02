# Sourced: the project's own Wine prefix and the environment the program runs in.
# Never touches ~/.wine.
CORVANE_ROOT=${CORVANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${CORVANE_WINEPREFIX:-$CORVANE_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installer prompts: either would hang a headless run.
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8

# Prepares the prefix once; later calls return at once.
corvane_prepare_prefix() {
  local stamp=$WINEPREFIX/.corvane-prefix-v1
  [ -f "$stamp" ] && return 0
  echo "wine: preparing the prefix $WINEPREFIX (first run only)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  local reg=$WINEPREFIX/corvane.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"mscoree"=""\r\n"mshtml"=""\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"FontSmoothing"="0"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for name in 宋体 SimSun 新宋体 NSimSun 黑体 SimHei 微软雅黑 "Microsoft YaHei"; do
      printf '"%s"="WenQuanYi Zen Hei"\r\n' "$name"
    done
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
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
