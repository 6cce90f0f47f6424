#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# the desktop entry and AppStream metadata pass their validators, icon and
# file types are in place, and the installed sonvex-cli computes the
# installed Default.ZPJ with the user's folders in a temporary home. Then
# the installed desktop program starts under Xvfb, as the user running the
# test and (when that is root, who may write anywhere) once more as a user
# who may not write the prefix: it shows the Sonvex icon and the window
# class its desktop entry names, keeps its settings and data in that user's
# folders and none beside itself, and quits without a message.
#   check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
tmp=$(mktemp -d)
xvfb=""
gui=""
cleanup() {
  [ -n "$gui" ] && kill "$gui" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
prefix=$tmp/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/sonvex bin/sonvex-cli share/sonvex/Projekte/Default.ZPJ share/sonvex/Chassis \
         share/applications/org.sonvex.Sonvex.desktop share/metainfo/org.sonvex.Sonvex.metainfo.xml \
         share/mime/packages/org.sonvex.Sonvex.xml share/icons/hicolor/scalable/apps/org.sonvex.Sonvex.svg \
         share/icons/hicolor/48x48/apps/org.sonvex.Sonvex.png share/icons/hicolor/256x256/apps/org.sonvex.Sonvex.png; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.sonvex.Sonvex.desktop"
else
  echo "desktop-file-validate missing (desktop-file-utils): not checked"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.sonvex.Sonvex.metainfo.xml"
else
  echo "appstreamcli missing (appstream): not checked"
fi


# The installed programs are read-only for their user (root may write anyway).
chmod -R a-w "$prefix"
find "$prefix" | sort >"$tmp/prefix-before"
mkdir -p "$tmp/home"
out=$(HOME=$tmp/home XDG_CONFIG_HOME= XDG_DATA_HOME= "$prefix/bin/sonvex-cli" calc "$prefix/share/sonvex/Projekte/Default.ZPJ")
[ "$out" = "Berechnung war erfolgreich." ] || { echo "installed sonvex-cli: $out"; exit 1; }
find "$prefix" | sort >"$tmp/prefix-after"
diff "$tmp/prefix-before" "$tmp/prefix-after" || { echo "the installed sonvex-cli wrote into the prefix"; exit 1; }

# wait_for_icon DISPLAY WINDOW: returns once the window carries an icon,
# watching the changes of its icon property instead of pausing. The check
# after it says whether it is the right one; the time limit only keeps a
# window that never gets one from hanging the check.
wait_for_icon() {
  local pipe=$tmp/icon-pipe line spy
  rm -f "$pipe"
  mkfifo "$pipe"
  DISPLAY=$1 timeout 60 xprop -spy -id "$2" -notype _NET_WM_ICON >"$pipe" 2>/dev/null &
  spy=$!
  while IFS= read -r line; do
    [[ "$line" == *"Icon ("* ]] && break
  done <"$pipe"
  kill "$spy" 2>/dev/null || true
  wait "$spy" 2>/dev/null || true
  rm -f "$pipe"
}

# check_desktop_program NAME [RUNAS...]: starts the installed sonvex with a
# fresh home for NAME, run through RUNAS (empty: the test's own user).
check_desktop_program() {
  local name=$1; shift
  local runas=("$@")
  local user=$(id -u)
  [ ${#runas[@]} -gt 0 ] && user=65534
  chmod 755 "$tmp"
  local home=$tmp/home-$name run=$tmp/run-$name
  mkdir -p "$home" "$run"
  chmod 700 "$run"
  chown "$user" "$home" "$run"

  if [ -z "$xvfb" ]; then
    # Xvfb writes its display number once it takes clients: read from a pipe,
    # the number arrives as the server is ready (the limit only keeps a
    # server that never comes from hanging the check).
    mkfifo "$tmp/display-pipe"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$tmp/display-pipe" >/dev/null 2>&1 &
    xvfb=$!
    local number=""
    read -r -t 60 number <"$tmp/display-pipe" || true
    [ -n "$number" ] || { echo "Xvfb did not start"; exit 1; }
    echo "$number" >"$tmp/display"
  fi
  local display=:$(cat "$tmp/display")

  # A clean environment: the user's home and an X display, nothing of the
  # test run (no offscreen platform). Leak reports of the X and font
  # libraries at exit are not the program's.
  # (The time limit only keeps a program that never quits from hanging the
  # check: it ends it with status 124.)
  timeout 600 env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display" LANG=C.UTF-8 \
      ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
      "${runas[@]}" "$prefix/bin/sonvex" >"$tmp/gui.out" 2>"$tmp/gui.err" &
  gui=$!
  local w
  w=$(DISPLAY=$display timeout 120 xdotool search --sync --onlyvisible --name '^Sonvex .*\[' | head -1) || true
  [ -n "$w" ] || { echo "the installed sonvex showed no window ($name)"; cat "$tmp/gui.err"; exit 1; }
  # The window carries an icon, and its class is the one the desktop entry
  # names, so that task bars group it with the menu entry.
  if command -v xprop >/dev/null; then
    local wmclass icon
    wmclass=$(grep '^StartupWMClass=' "$prefix/share/applications/org.sonvex.Sonvex.desktop" | cut -d= -f2)
    wmclass=\"$wmclass\"
    local got
    got=$(DISPLAY=$display xprop -id "$w" WM_CLASS)
    [[ "$got" == *", $wmclass" ]] || { echo "window class $got is not $wmclass"; exit 1; }
    wait_for_icon "$display" "$w"
    icon=$(DISPLAY=$display xprop -id "$w" -notype _NET_WM_ICON)
    [[ "$icon" == *"Icon (48 x 48)"* ]] || { echo "the window has no icon: ${icon:0:200}"; exit 1; }
  else
    echo "xprop missing (x11-utils): window class and icon not checked"
  fi
  # "Programm beenden" (Ctrl+X).
  DISPLAY=$display xdotool windowfocus --sync "$w" key ctrl+x
  local rc=0
  wait "$gui" || rc=$?
  gui=""
  if [ "$rc" -eq 124 ]; then echo "the installed sonvex did not quit ($name)"; exit 1; fi
  [ "$rc" -eq 0 ] || { echo "the installed sonvex ended with status $rc ($name)"; cat "$tmp/gui.err"; exit 1; }
  if [ -s "$tmp/gui.err" ] || [ -s "$tmp/gui.out" ]; then
    echo "the installed sonvex wrote ($name):"; cat "$tmp/gui.out" "$tmp/gui.err"; exit 1
  fi
  [ -f "$home/.config/sonvex/Sonvex.ini" ] || { echo "no settings in ~/.config/sonvex ($name)"; exit 1; }
  [ -f "$home/.local/share/sonvex/Projekte/Default.ZPJ" ] || { echo "no sample data in ~/.local/share/sonvex ($name)"; exit 1; }
  find "$prefix" | sort >"$tmp/prefix-after"
  diff "$tmp/prefix-before" "$tmp/prefix-after" || { echo "the installed sonvex wrote into the prefix ($name)"; exit 1; }
  echo "installed desktop program ok as $name"
}

# The program of the build folder finds no installed icon: it shows the one
# built into it.
check_built_in_icon() {
  local display=:$(cat "$tmp/display")
  env -i PATH=/usr/bin:/bin HOME="$tmp/home-build" DISPLAY="$display" LANG=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 \
      "$build/src/app/sonvex" --data "$tmp/portable" >/dev/null 2>&1 &
  gui=$!
  local w
  w=$(DISPLAY=$display timeout 120 xdotool search --sync --onlyvisible --name '^Sonvex .*\[' | head -1) || true
  [ -n "$w" ] || { echo "the built sonvex showed no window"; exit 1; }
  wait_for_icon "$display" "$w"
  local icon
  icon=$(DISPLAY=$display xprop -id "$w" -notype _NET_WM_ICON)
  [[ "$icon" == *"Icon (48 x 48)"* ]] || { echo "the built sonvex has no icon of its own"; exit 1; }
  kill "$gui"
  wait "$gui" || true
  gui=""
  echo "built-in icon ok"
}

if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    # Root may write the read-only prefix, and still the program keeps out
    # of it; an ordinary user may not write it at all.
    check_desktop_program root
    check_desktop_program nobody setpriv --reuid=65534 --regid=65534 --clear-groups --
  else
    check_desktop_program "$(id -un)"
  fi
  command -v xprop >/dev/null && check_built_in_icon
else
  echo "Xvfb or xdotool missing (xvfb, xdotool): the installed desktop program is not started"
fi
chmod -R u+w "$prefix"
echo "install ok"
