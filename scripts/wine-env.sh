# Sourced by build-windows.sh and test.sh, from the repository folder: the Wine that runs the
# Windows test programs. Headless, in a prefix of its own under build/, and with Wine's debugger
# off: with it a crashing program prints a backtrace and exits 0.
export WINEPREFIX=$PWD/build/windows-wine WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

# The first Wine program of a prefix starts the prefix's server and services, and they keep that
# program's standard error open until they end: a reader of it (ninja, ctest) waits on them, 3 s
# after the last program, or for as long as other programs keep them up. So they are started
# here, with no output of ours, and kept up until stop_wine_server.
start_wine_server() {
  stop_wine_server
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  # Unrandomised, as the tests run it (see cmake/mingw-w64-x86_64.cmake).
  setarch x86_64 -R wine wineboot --init </dev/null >/dev/null 2>&1  # makes the prefix the first time
}

stop_wine_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w
}
