# Shared steps of the run and test scripts: packages, builds, the private wine prefix,
# Xvfb and the persistent wineserver. Sourced, not run.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELMORA_BUILD=${VELMORA_BUILD:-$VELMORA_ROOT/build}
VELMORA_NATIVE_BUILD=$VELMORA_BUILD/native
VELMORA_WIN_BUILD=$VELMORA_BUILD/win
export WINEPREFIX=$VELMORA_WIN_BUILD/wineprefix
export WINEDEBUG=-all
export WINEARCH=win64

velmora_log() { printf '== %s\n' "$*" >&2; }

# Debian packages the build, the program under wine and the tests need.
VELMORA_PACKAGES="cmake make g++ googletest g++-mingw-w64-x86-64-posix wine wine64 xvfb
  xdotool x11-utils imagemagick python3 python3-pil clang libclang-rt-14-dev fonts-dejavu-core"

velmora_install_packages() {
  local missing=""
  for p in $VELMORA_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  velmora_log "installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
}

velmora_jobs() { nproc 2>/dev/null || echo 2; }

velmora_build_native() {
  velmora_log "native build (sanitizers)"
  cmake -S "$VELMORA_ROOT" -B "$VELMORA_NATIVE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$VELMORA_NATIVE_BUILD" -j "$(velmora_jobs)"
}

velmora_build_windows() {
  velmora_log "Windows build (MinGW-w64)"
  cmake -S "$VELMORA_ROOT" -B "$VELMORA_WIN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$VELMORA_WIN_BUILD" -j "$(velmora_jobs)"
}

# The private prefix, with the simulated card's nvapi64.dll where the driver puts the real one.
velmora_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    velmora_log "creating wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$VELMORA_ROOT/tools/wine-exec" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # A crash ends the process at once instead of waiting in winedbg: the crash tests make their
  # children crash on purpose, and a debugger that hangs would stall the run.
  if [ ! -f "$WINEPREFIX/.velmora-no-debugger" ]; then
    "$VELMORA_ROOT/tools/wine-exec" reg add \
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1 && touch "$WINEPREFIX/.velmora-no-debugger"
  fi
  local dll=$VELMORA_WIN_BUILD/sim/nvapi64.dll
  if [ -f "$dll" ]; then
    cp -f "$dll" "$WINEPREFIX/drive_c/windows/system32/nvapi64.dll"
  fi
}

VELMORA_XVFB_PID=""
velmora_free_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo ":$n"; return 0; }
  done
  echo ":99"
}

velmora_start_xvfb() {
  local display=${1:-$(velmora_free_display)}
  velmora_log "starting Xvfb on $display"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  VELMORA_XVFB_PID=$!
  export DISPLAY=$display
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  velmora_log "Xvfb did not come up"
  return 1
}

velmora_start_wineserver() {
  # One persistent wineserver for the whole run, so each program starts quickly.
  wineserver -k 2>/dev/null || true
  wineserver -p
  # Start the prefix's own processes (services, the desktop) now, detached from any test's
  # output, so no later program hands them a pipe that ctest would wait on.
  "$VELMORA_ROOT/tools/wine-exec" wineboot </dev/null >/dev/null 2>&1 || true
}

velmora_stop_all() {
  wineserver -k 2>/dev/null || true
  [ -n "$VELMORA_XVFB_PID" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null || true
}
