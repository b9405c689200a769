#!/usr/bin/env bash
# Builds the Windows side and runs the benchmarks on the simulated card under wine and Xvfb:
# composition of a skinned window, one refresh tick of the main window, one sample's history log
# write, and the idle cost of the running program against an empty window with the same timers
# and against a window that only pushes the eye's area (the floor). Figures go to stdout, then
# the table of figures and goals.
# Honours VELMORA_BUILD (lib.sh); VELMORA_IDLE_SECONDS sets the idle measurement (default 60).
set -euo pipefail
. "$(dirname "$0")/lib.sh"

velmora_install_packages
velmora_build_windows
velmora_prepare_prefix
log=$(mktemp -d)
trap 'velmora_stop_all; rm -rf "$log"' EXIT
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
velmora_log "the main window: refresh tick, eye tick, phases, screens in the three skins"
exe "$bin/refresh_bench.exe" "$(zpath "$out")" 300 | tee "$log/refresh"
velmora_log "one sample's history log write: new file, small, 50 MiB, restart at 51 MiB"
exe "$bin/log_write_bench.exe" 300
velmora_log "idle cost over ${VELMORA_IDLE_SECONDS:-60} s"
python3 "$VELMORA_ROOT/bench/app/idle_cpu.py" "$out" "$bin/idle_window.exe" \
  --seconds "${VELMORA_IDLE_SECONDS:-60}" | tee "$log/idle"

velmora_log "CPU with the monitoring window open at 1000 ms against the main window alone"
python3 "$VELMORA_ROOT/bench/monitoring/monitor_cpu.py" "$out" "$VELMORA_WIN_BUILD/tests/velmora-poke.exe" \
  --seconds "${VELMORA_IDLE_SECONDS:-60}" | tee "$log/monitor"

# The table: each figure beside its goal.
phase() {  # the median of a line of one breakdown block of refresh_bench
  awk -v block="$1" -v line="$2" '/^-- /{inside = index($0, block) > 0}
    inside && index($0, line) {print $(NF-1); exit}' "$log/refresh"
}
read -r _ _ idle _ ratio _ rss _ empty_rss _ floor _ floor_ratio _ libs_rss \
  < <(grep '^FIGURES' "$log/idle")
ms() { awk -v us="$1" 'BEGIN {printf "%.2f ms", us / 1000}'; }
echo
printf '%-58s %-12s %s\n' "figure" "now" "goal"
printf '%-58s %-12s %s\n' "one composition of the main window (all but the push)" \
  "$(ms "$(phase "one whole composition" "all but the push")")" "<= 1.5 ms"
printf '%-58s %-12s %s\n' "  its push to the layered window (wine's share, a floor)" \
  "$(ms "$(phase "one whole composition" "push to the layered")")" "-"
printf '%-58s %-12s %s\n' "one eye tick (all but the push)" \
  "$(ms "$(phase "one eye tick" "all but the push")")" "-"
printf '%-58s %-12s %s\n' "  its push to the layered window" \
  "$(ms "$(phase "one eye tick" "push to the layered")")" "-"
printf '%-58s %-12s %s\n' "idle, main window open, process CPU" "$idle %" "<= 0.5 %"
printf '%-58s %-12s %s\n' "  floor: a layered window pushing only the eye's frames" "$floor %" "-"
printf '%-58s %-12s %s\n' "idle ratio to the empty window with the same timers" "$ratio x" "<= 5 x"
printf '%-58s %-12s %s\n' "  floor's ratio to the empty window" "$floor_ratio x" "-"
printf '%-58s %-12s %s\n' "resident memory after start (empty window $empty_rss MiB)" \
  "$rss MiB" "<= 30 MiB"
printf '%-58s %-12s %s\n' "  floor: that window with GDI+, MSXML 3, common controls" \
  "$libs_rss MiB" "-"
read -r _ _ alone_pct _ monitor_pct _ monitor_ratio < <(grep '^FIGURES' "$log/monitor")
printf '%-58s %-12s %s\n' "monitoring window open (1000 ms), process CPU" "$monitor_pct %" "-"
printf '%-58s %-12s %s\n' "  its ratio to the main window alone ($alone_pct %)" "$monitor_ratio x" "-"
grep '^screens of' "$log/refresh" | sed 's/^/what the window shows, memo against drawing afresh: /'
