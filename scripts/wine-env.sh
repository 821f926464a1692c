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
# names a loader that this kernel may not run. Several build directories may
# be in use at once (the two Windows suites run side by side, other checkouts
# may run too): each touches only its own display, prefix and wineserver.
set -euo pipefail

# The loader is looked up in the file list of the package that installs it,
# so that no Debian release's layout is written here.
loader_for() {
  local package name
  case "$1" in
    win32) package=wine32:i386 name=wine ;;
    win64) package=wine64 name=wine64 ;;
    *) echo "wine-env: unknown Wine architecture '$1'" >&2; return 2 ;;
  esac
  local path
  while read -r path; do
    [ -f "$path" ] && { echo "$path"; return 0; }   # not the directory of the same name
  done < <(dpkg-query -L "$package" 2>/dev/null | grep "/$name\$")
  echo "wine-env: the $(bits_of "$1")-bit Wine loader is not installed (package $package; run scripts/bootstrap.sh)" >&2
  return 1
}

bits_of() { [ "$1" = win64 ] && echo 64 || echo 32; }

# Exits 0 if the loader for $1 starts, keeping its answer in $wine_version;
# otherwise prints the cause.
probe() {
  local arch=$1 loader
  loader=$(loader_for "$arch") || return 1
  if [ ! -x "$loader" ]; then
    echo "wine-env: the $(bits_of "$arch")-bit Wine loader $loader is not installed" >&2
    return 1
  fi
  if ! wine_version=$("$loader" --version 2>&1); then
    case "$wine_version" in
      *"Exec format error"*)
        echo "wine-env: the $(bits_of "$arch")-bit Wine loader does not run on this kernel (Exec format error)" >&2 ;;
      *)
        echo "wine-env: the $(bits_of "$arch")-bit Wine loader does not start: ${wine_version//$'\n'/ }" >&2 ;;
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
# The server the loader itself starts: the one installed beside it. Wine finds
# a prefix's server by the prefix's own directory, so -p, -k and -w act on
# this prefix's server alone.
wineserver=$(dirname "$loader")/wineserver
if [ ! -x "$wineserver" ]; then
  wineserver=$(command -v wineserver) || { echo "wine-env: no wineserver beside $loader nor on PATH" >&2; exit 1; }
fi
display_file="$build_dir/xvfb.display"
pid_file="$build_dir/xvfb.pid"

# "PID STARTTIME" of a running process: a pid can be reused once the process
# is gone, the pair cannot.
process_identity() {
  local pid=$1 stat
  stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
  stat=${stat##*) }   # the fields after the command name, from the state on
  # shellcheck disable=SC2086 # split into fields
  set -- $stat
  echo "$pid ${20}"
}

# True when the Xvfb this build directory started still runs. The pid file
# may be left over from a run whose machine or script stopped; its pid then
# names nothing or another process, and does not count.
xvfb_alive() {
  [ -f "$pid_file" ] && [ -f "$display_file" ] || return 1
  local pid started
  read -r pid started <"$pid_file" || return 1
  [ -n "$pid" ] && [ "$(process_identity "$pid")" = "$pid $started" ] &&
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]
}

start_xvfb() {
  xvfb_alive && return 0
  rm -f "$pid_file" "$display_file"
  if ! command -v Xvfb >/dev/null; then
    echo "wine-env: Xvfb is not installed (run scripts/bootstrap.sh)" >&2
    return 1
  fi
  # Xvfb picks a free display itself and writes its number once it listens:
  # two suites starting at once cannot take the same display.
  local numfile="$build_dir/xvfb.displayfd" log="$build_dir/xvfb.log"
  : >"$numfile"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" </dev/null >/dev/null 2>"$log" &
  local pid=$! n=
  for _ in $(seq 1 100); do
    n=$(tr -d '[:space:]' <"$numfile")
    [ -n "$n" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$n" ] || ! kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    echo "wine-env: Xvfb did not start; it said:" >&2
    tail -n 5 "$log" >&2
    return 1
  fi
  process_identity "$pid" >"$pid_file"
  echo ":$n" >"$display_file"
}

# What the prefix is made from: the code below, the Wine that runs it and its
# architecture. A prefix made from anything else is made again.
prefix_stamp() {
  local digest
  digest=$( { declare -f make_prefix; echo "$WINEDLLOVERRIDES $arch $wine_version"; } | sha1sum)
  echo "$WINEPREFIX/.velmora-ready-${digest%% *}"
}

make_prefix() {
  local ready_mark
  ready_mark=$(prefix_stamp)
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$ready_mark" ] && return 0
  echo "wine-env: creating $(bits_of "$arch")-bit Wine prefix $WINEPREFIX" >&2
  # A server may still serve the old prefix (its directory is about to go).
  "$wineserver" -k >/dev/null 2>&1 || true
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
  # Caption buttons (the close box) are glyphs of Wine's Marlett, which this
  # Wine does not load from its own data folder: without it the close box
  # draws as the letter "r". A font in the prefix's Fonts folder is loaded.
  local marlett
  marlett=$(dpkg-query -L fonts-wine 2>/dev/null | grep -m1 '/marlett\.ttf$' || true)
  [ -n "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
  "$wineserver" -w
  touch "$ready_mark"
}

# Starts this prefix's persistent server unless it runs. wineserver -p itself
# tells which: it exits 2 when the prefix's server already holds its lock.
start_server() {
  local status=0
  "$wineserver" -p >/dev/null 2>&1 || status=$?
  case $status in
    0)
      # Start Wine's own background processes now, detached from any output
      # pipe: the first program of a session launches them, and they would
      # otherwise inherit that program's stdout and keep a reader waiting.
      "$loader" cmd /c exit </dev/null >/dev/null 2>&1 || true ;;
    2) ;;
    *) echo "wine-env: $wineserver -p failed (exit code $status)" >&2; return 1 ;;
  esac
}

# Idempotent: each step does nothing when its part is up already.
start() {
  probe "$arch"
  start_xvfb
  DISPLAY=$(cat "$display_file")
  export DISPLAY
  make_prefix
  start_server
}

case "$action" in
  start)
    start
    ;;
  stop)
    "$wineserver" -k >/dev/null 2>&1 || true
    if xvfb_alive; then kill "$(cut -d' ' -f1 "$pid_file")" 2>/dev/null || true; fi
    rm -f "$pid_file" "$display_file"
    ;;
  exec)
    start </dev/null >/dev/null
    exec "$@"
    ;;
  run)
    start </dev/null >/dev/null
    exec "$loader" "$@"
    ;;
  *)
    echo "usage: wine-env.sh start|stop|exec|run BUILD_DIR [CMD...] | probe win32|win64" >&2
    exit 2
    ;;
esac
