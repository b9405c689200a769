#!/usr/bin/env bash
# Builds Velmora and runs it under wine on the simulated card. With a working $DISPLAY the
# program opens there; without one it runs under Xvfb and screenshots are written to
# build/screenshots/.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

velmora_install_packages
velmora_build_windows
velmora_prepare_prefix
exe=$VELMORA_WIN_BUILD/out/Velmora.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  velmora_log "running $exe on $DISPLAY (close the window to end)"
  "$VELMORA_ROOT/tools/wine-exec" "$exe"
  exit 0
fi

trap velmora_stop_all EXIT
velmora_start_xvfb
velmora_start_wineserver
shots=$VELMORA_BUILD/screenshots
mkdir -p "$shots"
"$VELMORA_ROOT/tools/wine-exec" "$exe" &
app=$!
for i in 1 2 3; do
  sleep 5
  import -window root "$shots/velmora-$i.png"
  velmora_log "screenshot $shots/velmora-$i.png"
done
# Closed the way a user would (WM_CLOSE), so the fan is handed back; killed only if it hangs.
"$VELMORA_ROOT/tools/wine-exec" taskkill /im Velmora.exe >/dev/null 2>&1 || true
for _ in $(seq 50); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.2
done
kill "$app" 2>/dev/null || true
wineserver -k 2>/dev/null || true
