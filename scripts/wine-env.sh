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
  boot_wine_prefix && return
  # A first boot cut short can leave the prefix half-made (no kernel32.dll: every program ends
  # with status 53), and Wine's timestamp in it keeps Wine from ever finishing it: made again.
  echo "== the Wine prefix $WINEPREFIX does not work ($wine_boot_failure): making it again" >&2
  stop_wine_server
  rm -rf "$WINEPREFIX"
  boot_wine_prefix && return
  echo "error: Wine cannot run programs in the new prefix $WINEPREFIX: $wine_boot_failure" >&2
  return 1
}

# Starts the server and boots the prefix, making it the first time; says what failed in
# wine_boot_failure. Wine's output goes to a file: its services would hold a pipe open.
boot_wine_prefix() {
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  local output said status=0
  output=$(mktemp)
  # Unrandomised, as the tests run it (see cmake/mingw-w64-x86_64.cmake).
  setarch x86_64 -R wine wineboot --init </dev/null >"$output" 2>&1 || status=$?
  said=$(grep -v '^[[:space:]]*$' "$output" | tail -n 1 || true)
  wine_boot_failure=
  if [ "$status" != 0 ]; then
    wine_boot_failure="wineboot ended with status $status, saying: ${said:-nothing}"
  elif [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
    wine_boot_failure="wineboot left no kernel32.dll in it"
  fi
  rm -f "$output"
  [ -z "$wine_boot_failure" ]
}

stop_wine_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w
}
