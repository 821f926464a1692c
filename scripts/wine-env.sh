#!/bin/bash
# One Xvfb display and one Wine prefix per build directory. The prefix's
# architecture follows the build: BUILD_DIR/wine-arch holds "win32" (the
# 32-bit product build) or "win64" (the 64-bit test build); CMake writes it.
#   wine-env.sh start BUILD_DIR            create the prefix if needed, start Xvfb and a persistent wineserver
#   wine-env.sh stop  BUILD_DIR            stop both
#   wine-env.sh exec  BUILD_DIR CMD...     run CMD with the environment (starting it if needed)
#   wine-env.sh run   BUILD_DIR PROG...    run a Windows program under the build's Wine loader
#   wine-env.sh probe win32|win64          exit 0 if that Wine loader runs here, else say why
# Every Wine call of the scripts and tests goes through here, so no caller
# names a loader that this kernel may not run.
set -euo pipefail

scripts_dir=$(cd "$(dirname "$0")" && pwd)

loader_for() {
  case "$1" in
    win32) echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo "wine-env: unknown Wine architecture '$1'" >&2; return 2 ;;
  esac
}

bits_of() { [ "$1" = win64 ] && echo 64 || echo 32; }

# Exits 0 if the loader for $1 starts; otherwise prints the cause.
probe() {
  local arch=$1 loader output
  loader=$(loader_for "$arch")
  if [ ! -x "$loader" ]; then
    echo "wine-env: the $(bits_of "$arch")-bit Wine loader $loader is not installed" >&2
    return 1
  fi
  if ! output=$("$loader" --version 2>&1); then
    case "$output" in
      *"Exec format error"*)
        echo "wine-env: the $(bits_of "$arch")-bit Wine loader does not run on this kernel (Exec format error)" >&2 ;;
      *)
        echo "wine-env: the $(bits_of "$arch")-bit Wine loader does not start: ${output//$'\n'/ }" >&2 ;;
    esac
    return 1
  fi
}

action=${1:-}
if [ "$action" = probe ]; then
  probe "${2:?usage: wine-env.sh probe win32|win64}"
  exit
fi

build_dir=$(cd "$2" && pwd)
shift 2

arch=win32
[ -f "$build_dir/wine-arch" ] && arch=$(tr -d '[:space:]' <"$build_dir/wine-arch")
loader=$(loader_for "$arch")

export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH=$arch
export WINELOADER=$loader
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# The wrapper picks the 64-bit server, which serves prefixes of either kind.
wineserver=/usr/lib/wine/wineserver
display_file="$build_dir/xvfb.display"
pid_file="$build_dir/xvfb.pid"
ready_mark="$WINEPREFIX/.velmora-ready-4-$arch"

xvfb_alive() {
  [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null
}

start_xvfb() {
  xvfb_alive && return 0
  if ! command -v Xvfb >/dev/null; then
    echo "wine-env: Xvfb is not installed (run scripts/bootstrap.sh)" >&2
    return 1
  fi
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
  echo "wine-env: no X display could be started (displays :90 to :140 busy or Xvfb failing)" >&2
  return 1
}

make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$ready_mark" ] && return 0
  echo "wine-env: creating $(bits_of "$arch")-bit Wine prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  local log="$build_dir/wineboot.log"
  "$loader" wineboot -i >"$log" 2>&1 || true
  "$wineserver" -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: the Wine prefix could not be made; wineboot said:" >&2
    tail -n 5 "$log" >&2
    return 1
  fi
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
  "$loader" regedit /S "$reg" >/dev/null 2>&1
  # Window captions and message boxes use the system UI fonts; link them to
  # the IPA font so that their Japanese texts are drawn too.
  local face
  for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
  done
  "$wineserver" -w
  touch "$ready_mark"
}

start() {
  probe "$arch"
  start_xvfb
  export DISPLAY=$(cat "$display_file")
  make_prefix
  "$wineserver" -p >/dev/null 2>&1 || true
  # Start Wine's own background processes now, detached from any output
  # pipe: the first program of a session launches them, and they would
  # otherwise inherit that program's stdout and keep a reader waiting.
  "$loader" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

enter() {
  if ! xvfb_alive || [ ! -f "$ready_mark" ] || ! pgrep -f "wineserver.*-p" >/dev/null; then
    start </dev/null >/dev/null
  fi
  export DISPLAY=$(cat "$display_file")
}

case "$action" in
  start)
    start
    ;;
  stop)
    "$wineserver" -k >/dev/null 2>&1 || true
    if xvfb_alive; then kill "$(cat "$pid_file")" 2>/dev/null || true; fi
    rm -f "$pid_file" "$display_file"
    ;;
  exec)
    enter
    exec "$@"
    ;;
  run)
    enter
    exec "$loader" "$@"
    ;;
  *)
    echo "usage: wine-env.sh start|stop|exec|run BUILD_DIR [CMD...] | probe win32|win64" >&2
    exit 2
    ;;
esac
