# Wine for the Windows tests and screenshots, sourced with $build set (the Windows build
# folder): everything Wine writes stays under it. The prefix, and a home, XDG folders and
# temporary folder of its own (the prefix's shell folders link into HOME), a fontconfig that
# lists only Wine's fonts, one persistent wineserver, and an Xvfb display started before it
# (a server started without a display cannot make windows later).
#   kernova_wine_start   makes or resets the prefix, starts the display and the server
#   kernova_wine_stop    stops them

sandbox=$build/wine-sandbox
export WINEPREFIX=$build/wine-prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install dialogs, and no menu entries written for the prefix's programs.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$sandbox/home
export TMPDIR=$sandbox/tmp
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CONFIG_HOME=$HOME/.config
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$sandbox/run
# Only Wine's own fonts: Wine rewrites the font registry from what fontconfig lists at every
# process start, and must leave the values the tests write for their own fonts alone.
export FONTCONFIG_FILE=$sandbox/fonts.conf
unset DISPLAY WAYLAND_DISPLAY

wine=/usr/lib/wine/wine64
kernova_xvfb_pid=

kernova_wine_stop() {
  timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
  if [ -n "$kernova_xvfb_pid" ]; then
    kill "$kernova_xvfb_pid" 2>/dev/null || true
    wait "$kernova_xvfb_pid" 2>/dev/null || true
    kernova_xvfb_pid=
  fi
}

kernova_wine_start() {
  # A server left over from an interrupted run may lack this run's environment; its socket
  # is under TMPDIR, so it is stopped before TMPDIR is emptied.
  kernova_wine_stop
  rm -rf "$TMPDIR"
  mkdir -p "$HOME" "$TMPDIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  cat >"$FONTCONFIG_FILE" <<CONF
<?xml version="1.0"?>
<fontconfig>
  <dir>/usr/share/wine/fonts</dir>
  <cachedir>$sandbox/fc-cache</cachedir>
</fontconfig>
CONF

  # A prefix is reused when a run of the same Wine version finished making it; its registry
  # as made is kept aside, so that every run starts from it.
  local ready=$WINEPREFIX/.kernova-prefix-ready pristine=$WINEPREFIX/.kernova-pristine
  local version
  version=$("$wine" --version)
  if [ ! -f "$ready" ] || [ "$(cat "$ready")" != "$version" ] || [ ! -d "$pristine" ]; then
    echo "wine-env: making the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    local log=$build/wineboot.log
    if ! timeout 300 "$wine" wineboot -i </dev/null >"$log" 2>&1 ||
      ! timeout 120 wineserver -w </dev/null >>"$log" 2>&1; then
      echo "wine-env: wineboot failed or timed out; its output:" >&2
      cat "$log" >&2
      return 1
    fi
    mkdir -p "$pristine"
    cp "$WINEPREFIX"/*.reg "$pristine"/
    echo "$version" >"$ready"
  fi
  # What an earlier run installed goes: the tests expect their fonts not to be installed yet.
  cp "$pristine"/*.reg "$WINEPREFIX"/
  rm -rf "$WINEPREFIX/drive_c/windows/Fonts" "$WINEPREFIX"/drive_c/users/*/Favorites/* \
    "$WINEPREFIX"/drive_c/users/*/Temp/*
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"

  # A display of the run's own: the first free number from 90.
  local number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
  done
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  kernova_xvfb_pid=$!
  local waited=0
  while [ ! -e "/tmp/.X11-unix/X$number" ] && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$number"

  # One persistent server for the whole run, detached from every pipe: a server started by
  # the first test would hold ctest's output pipe open (ctest then waits forever), and
  # without a persistent one each test pays the server's and the services' start-up.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  timeout 120 "$wine" cmd /c exit </dev/null >/dev/null 2>&1
  # Windows are not handed to a window manager (there is none): hiding one then takes no
  # wait for the manager's answer.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1
}
