#!/usr/bin/env bash
# Builds the Windows side and runs the benchmarks on the simulated card under wine and Xvfb:
# composition of a skinned window, one refresh tick of the main window, and the idle cost of the
# running program against an empty window with the same timers. Figures go to stdout.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

velmora_install_packages
velmora_build_windows
velmora_prepare_prefix
trap velmora_stop_all EXIT
velmora_start_xvfb
velmora_start_wineserver

out=$VELMORA_WIN_BUILD/out
bin=$VELMORA_WIN_BUILD/bench-bin
exe() { "$VELMORA_ROOT/tools/wine-exec" "$@"; }
zpath() { printf 'Z:%s' "${1//\//\\}"; }  # the path wine's Z: drive gives a Unix path

velmora_log "composition of a main-window-sized dialog"
exe "$out/compose_bench.exe" "$(zpath "$out/Norvane.dll")" 300
velmora_log "composition of the clock settings window's frame"
exe "$out/clock_compose_bench.exe" "$(zpath "$out/Norvane.dll")" 300
velmora_log "one refresh tick of the main window"
exe "$bin/refresh_bench.exe" "$(zpath "$out")" 300
velmora_log "idle cost over ${VELMORA_IDLE_SECONDS:-60} s"
python3 "$VELMORA_ROOT/bench/app/idle_cpu.py" "$out" "$bin/idle_window.exe" \
  --seconds "${VELMORA_IDLE_SECONDS:-60}"
