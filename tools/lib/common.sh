# Shared by tools/run and tools/test: set-up, the Windows build, Xvfb and the Wine prefix.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${CORV_BUILD:-$ROOT/build}
NATIVE_BUILD=$BUILD/native

# We ship 32-bit, and build and test 32-bit wherever the machine can run 32-bit programs. Some kernels
# cannot (no 32-bit support): there the 64-bit build of the same tree is built and tested instead, under
# Wine's 64-bit loader. CORV_ARCH=i686 or x86_64 chooses by hand.
if [ -z "${CORV_ARCH:-}" ]; then
  # The question needs Wine's 32-bit loader installed: set-up first.
  "$ROOT/tools/setup"
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then CORV_ARCH=i686; else CORV_ARCH=x86_64; fi
fi
export CORV_ARCH
if [ "$CORV_ARCH" = x86_64 ]; then
  WIN_BUILD=$BUILD/win-x86_64
  export WINEARCH=win64
  # "wine" (and what Wine's own tools start through "wine-stable") would pick the 32-bit loader that
  # cannot run here: a folder of shims in front of PATH sends them to the 64-bit one.
  shims=$BUILD/wine64-shims
  if [ ! -x "$shims/wine" ]; then
    mkdir -p "$shims"
    for name in wine wine64 wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
      chmod +x "$shims/$name"
    done
  fi
  export PATH=$shims:$PATH
  export WINELOADER=/usr/lib/wine/wine64
else
  WIN_BUILD=$BUILD/win
  export WINEARCH=win32
fi
TOOLCHAIN_FILE=$ROOT/cmake/toolchain-$CORV_ARCH-w64-mingw32.cmake
export WINEPREFIX=$WIN_BUILD/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine's recycle bin is the XDG trash: keep what the tests delete inside the build folder.
export XDG_DATA_HOME=$WIN_BUILD/xdg-data

corv_log() { echo "[$(basename "$0")] $*" >&2; }

# Configures (once) and builds the Windows tree: everything, or the targets named.
corv_build_win() {
  "$ROOT/tools/setup"
  # The codec libraries: built once, rebuilt only when their build inputs change.
  "$ROOT/tools/build-codecs"
  local codecs
  codecs=$("$ROOT/tools/build-codecs" --print-prefix)
  # Configured once; again when a tree configured before the codec libraries existed lacks their prefix.
  if [ ! -f "$WIN_BUILD/build.ninja" ] || ! grep -qx "CMAKE_PREFIX_PATH:[A-Z]*=$codecs" "$WIN_BUILD/CMakeCache.txt"; then
    cmake -S "$ROOT" -B "$WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
      -DCMAKE_PREFIX_PATH="$codecs" ${CORV_CMAKE_ARGS:-} >/dev/null
  fi
  if [ $# -gt 0 ]; then cmake --build "$WIN_BUILD" --target "$@"; else cmake --build "$WIN_BUILD"; fi
}

# Configures (once) and builds the native tree of the portable code.
corv_build_native() {
  if [ ! -f "$NATIVE_BUILD/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  fi
  cmake --build "$NATIVE_BUILD"
}

CORV_XVFB_PID=
# Starts Xvfb on a free display number and exports DISPLAY; the argument is the colour depth (24).
corv_start_xvfb() {
  local depth=${1:-24} n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
    CORV_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$CORV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  corv_log "could not start Xvfb"
  return 1
}

# Creates the build's Wine prefix once: 32-bit, Wine's virtual desktop (frames and captions drawn as
# Windows would draw them), no crash dialogs.
corv_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
    corv_log "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.corvane-ready"
  fi
}

# Keeps one wineserver alive for the prefix while tests start many processes, and starts Wine's own
# background processes (services, the desktop) now: started later by a test, they would inherit its
# output pipe and CTest would wait for them until its timeout.
corv_start_wineserver() {
  wineserver -p >/dev/null 2>&1 || true
  wine "$WIN_BUILD/bin/winwait.exe" wait "corvane-warm-up" 0 >/dev/null 2>&1 </dev/null || true
}

corv_stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "$CORV_XVFB_PID" ]; then
    kill "$CORV_XVFB_PID" 2>/dev/null || true
    wait "$CORV_XVFB_PID" 2>/dev/null || true
    CORV_XVFB_PID=
  fi
}
