# Sourced by the scripts that run the saver on a private X server: Xvfb, then a Wine
# session on it, with or without a 1024 x 768 Wine virtual desktop (in which display mode
# changes really happen); or a real Xorg on the dummy driver with several monitors side by
# side. Needs tools/wine-env.sh sourced first. Safe under `set -e`.

wine_display_pid=

# Starts the X server command ($2...) that writes its display number to descriptor 3, and
# waits for it; WORKDIR ($1) keeps the number. Sets DISPLAY.
start_x_server() {
  local work=$1; shift
  stop_wine_display
  rm -f "$work/display"
  exec 3> "$work/display"
  "$@" &
  wine_display_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
}

# start_wine_display WxH desktop|plain WORKDIR: sets DISPLAY.
start_wine_display() {
  start_x_server "$3" Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -s 0 -noreset \
    > "$3/xvfb.log" 2>&1
  start_wine_session "$2"
}

# start_wine_monitors WORKDIR [--hsync KHZ-KHZ] "XRANDR-ARGS"...: an Xorg on the dummy
# driver whose outputs DUMMY0, DUMMY1, ... take the modes and places given, in that order
# (DUMMY0, the first, is the primary), e.g. "1024x768" "800x600 --left-of DUMMY0"; its modes
# are those whose line rate is in the range (44-1000 leaves out every 640 x 480). Then a
# Wine session on it, no virtual desktop, so that its display modes are the outputs' own.
# Sets DISPLAY.
start_wine_monitors() {
  local work=$1 hsync=5.0-1000.0; shift
  [ "$1" = --hsync ] && hsync=$2 && shift 2
  cat > "$work/xorg.conf" <<CONF
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync $hsync
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  # The server itself, not the wrapper that would want a console.
  start_x_server "$work" /usr/lib/xorg/Xorg -displayfd 3 -config "$work/xorg.conf" -noreset \
    -nolisten tcp -logfile "$work/xorg.log" > "$work/xorg.out" 2>&1
  local i=0 output
  for output in "$@"; do
    set -- $output
    xrandr --addmode "DUMMY$i" "$1" 2> /dev/null || true  # DUMMY0 has every mode already
    xrandr --output "DUMMY$i" --mode "$@"
    i=$((i + 1))
  done
  xrandr --output DUMMY0 --primary
  start_wine_session plain
}

# start_wine_session desktop|plain: a Wine session on $DISPLAY.
start_wine_session() {
  mkdir -p "$WINEPREFIX"
  # Start the server with its output elsewhere, so no caller's pipe is held open by it.
  wineserver -p < /dev/null > /dev/null 2>&1
  # A new prefix; once here a first wineboot left it without its system files (wine then
  # fails with 53), so it is checked and made again.
  local tries=0
  until [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; do
    if [ $tries -eq 3 ]; then echo "wine: cannot make the prefix $WINEPREFIX" >&2; return 1; fi
    tries=$((tries + 1))
    wineserver -k > /dev/null 2>&1 || true
    wineserver -w || true
    rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
    wineserver -p < /dev/null > /dev/null 2>&1
    wineboot -i < /dev/null > /dev/null 2>&1 || true
  done
  # Without a window manager, unmanaged windows avoid a 2-second stall on DestroyWindow.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
  if [ "$1" = desktop ]; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f > /dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f > /dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f > /dev/null 2>&1 || true
  fi
  # The server keeps the display and desktop it first saw: restart it on the new ones.
  wineserver -k > /dev/null 2>&1 || true
  wineserver -w || true
  wineserver -p < /dev/null > /dev/null 2>&1
  # Wine's own helper processes start with the first program: let them start here, with
  # their output elsewhere, or they hold the pipes of whatever runs next.
  wine cmd /c exit < /dev/null > /dev/null 2>&1 || true
  # The pointer rests inside every saver window, so Wine's one WM_MOUSEMOVE at window
  # creation always comes; nothing moves it afterwards.
  xdotool mousemove 100 100
}

stop_wine_display() {
  wineserver -k > /dev/null 2>&1 || true
  if [ -n "$wine_display_pid" ]; then
    kill "$wine_display_pid" 2> /dev/null || true
    wait "$wine_display_pid" 2> /dev/null || true
  fi
  wine_display_pid=
}
