#!/usr/bin/env bash
# Runs a Windows program on Wine, in a private prefix and on a virtual display.
#
#   wine-run.sh ARCH STATE_DIR PROGRAM [ARG...]  run PROGRAM; its exit code is ours
#   wine-run.sh ARCH STATE_DIR --fresh           end the session and remove its prefixes
#   wine-run.sh ARCH STATE_DIR --shutdown        end the session's wineserver and Xvfb
#
# ARCH is win32 or win64. STATE_DIR holds the session: its prefixes, its display and a
# lock. The prefix is made on first use and reused by later programs of the session;
# LUMORA_WINE_PREFIX_NAME selects another prefix of the same session (default "default").
# Nothing outside STATE_DIR is read or changed.
set -u
arch=$1 state=$2
shift 2
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEARCH=$arch
export WINEDEBUG=${LUMORA_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$arch" = win64 ]; then wine=/usr/lib/wine/wine64; else wine=/usr/lib/wine/wine; fi
wineserver=/usr/lib/wine/wineserver
prefix_of() { echo "$state/prefix-${1:-default}"; }
export WINEPREFIX=$(prefix_of "${LUMORA_WINE_PREFIX_NAME:-default}")

exec 9>"$state/lock"

display_alive() {
  [ -f "$state/display" ] || return 1
  read -r num pid < "$state/display" || return 1
  kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$num" ]
}

start_display() {
  display_alive && return 0
  rm -f "$state/display" "$state/display.fd"
  # Detached, with no inherited output, so the test runner does not wait on it.
  setsid Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp \
    7>"$state/display.fd" </dev/null >/dev/null 2>&1 &
  local pid=$! num=""
  for _ in $(seq 200); do
    num=$(head -n 1 "$state/display.fd" 2>/dev/null)
    [ -n "$num" ] && break
    sleep 0.05
  done
  if [ -z "$num" ]; then
    kill "$pid" 2>/dev/null
    echo "wine-run: Xvfb did not start" >&2
    return 1
  fi
  echo "$num $pid" > "$state/display"
}

end_session() {
  local p
  for p in "$state"/prefix-*; do
    [ -d "$p" ] && WINEPREFIX=$p "$wineserver" -k 2>/dev/null
  done
  if [ -f "$state/display" ]; then
    read -r _ pid < "$state/display" && kill "$pid" 2>/dev/null
    rm -f "$state/display" "$state/display.fd"
  fi
  return 0
}

case "${1:-}" in
  --shutdown)
    flock 9; end_session; exit 0 ;;
  --fresh)
    flock 9; end_session; rm -rf "$state"/prefix-*; exit 0 ;;
  "")
    echo "usage: wine-run.sh ARCH STATE_DIR PROGRAM [ARG...] | --fresh | --shutdown" >&2; exit 2 ;;
esac

flock 9
start_display || exit 1
read -r num _ < "$state/display"
export DISPLAY=":$num"
if [ ! -f "$WINEPREFIX/.lumora-ready" ]; then
  rm -rf "$WINEPREFIX"
  if ! "$wine" wineboot -i >/dev/null 2>&1; then
    echo "wine-run: could not make the prefix $WINEPREFIX" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.lumora-ready"
fi
flock -u 9
exec 9>&-

"$wine" "$@"
