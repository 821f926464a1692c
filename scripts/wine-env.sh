#!/bin/bash
# One Xvfb display and one 32-bit Wine prefix per build directory.
#   wine-env.sh start BUILD_DIR   create the prefix if needed, start Xvfb and a persistent wineserver
#   wine-env.sh stop  BUILD_DIR   stop both
#   wine-env.sh exec  BUILD_DIR CMD...   run CMD with the environment (starting it if needed)
set -euo pipefail

action=$1
build_dir=$(cd "$2" && pwd)
shift 2

export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
display_file="$build_dir/xvfb.display"
pid_file="$build_dir/xvfb.pid"
scripts_dir=$(cd "$(dirname "$0")" && pwd)

xvfb_alive() {
  [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null
}

start_xvfb() {
  xvfb_alive && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo "$pid" >"$pid_file"
      echo ":$n" >"$display_file"
      return 0
    fi
  done
  echo "wine-env: no free X display" >&2
  return 1
}

make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.velmora-ready-3" ] && return 0
  echo "wine-env: creating Wine prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # The dialogs name Japanese faces that Wine lacks; map them to the IPA fonts.
  local reg="$build_dir/fonts.reg"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ ゴシック"="IPAGothic"' '"ＭＳ Ｐゴシック"="IPAPGothic"' \
    '"MS Gothic"="IPAGothic"' '"MS PGothic"="IPAPGothic"' '' \
    '; Bare Xvfb has no window manager: unmanaged windows spare Wine a wait' \
    '; for window-manager events each time a dialog is hidden.' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
  # Window captions and message boxes use the system UI fonts; link them to
  # the IPA font so that their Japanese texts are drawn too.
  local face
  for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
  done
  wineserver -w
  touch "$WINEPREFIX/.velmora-ready-3"
}

case "$action" in
  start)
    start_xvfb
    export DISPLAY=$(cat "$display_file")
    make_prefix
    wineserver -p >/dev/null 2>&1 || true
    # Start Wine's own background processes now, detached from any output
    # pipe: the first program of a session launches them, and they would
    # otherwise inherit that program's stdout and keep a reader waiting.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    if xvfb_alive; then kill "$(cat "$pid_file")" 2>/dev/null || true; fi
    rm -f "$pid_file" "$display_file"
    ;;
  exec)
    if ! xvfb_alive || [ ! -f "$WINEPREFIX/.velmora-ready-3" ] || ! pgrep -f "wineserver.*-p" >/dev/null; then
      "$scripts_dir/wine-env.sh" start "$build_dir" </dev/null >/dev/null
    fi
    export DISPLAY=$(cat "$display_file")
    exec "$@"
    ;;
  *)
    echo "usage: wine-env.sh start|stop|exec BUILD_DIR [CMD...]" >&2
    exit 2
    ;;
esac
