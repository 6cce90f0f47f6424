#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# the desktop entry and AppStream metadata pass their validators, icon and
# file types are in place, and the installed sonvex-cli computes the
# installed Default.ZPJ with the user's folders in a temporary home. Then
# the installed desktop program starts under Xvfb as a user who may not
# write the prefix, keeps its settings and data in that user's folders and
# none beside itself, and quits without a message.
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

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$src/packaging/org.sonvex.Sonvex.desktop"
else
  echo "desktop-file-validate missing (desktop-file-utils): not checked"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$src/packaging/org.sonvex.Sonvex.metainfo.xml"
else
  echo "appstreamcli missing (appstream): not checked"
fi

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/sonvex bin/sonvex-cli share/sonvex/Projekte/Default.ZPJ share/sonvex/Chassis \
         share/applications/org.sonvex.Sonvex.desktop share/metainfo/org.sonvex.Sonvex.metainfo.xml \
         share/mime/packages/org.sonvex.Sonvex.xml share/icons/hicolor/scalable/apps/org.sonvex.Sonvex.svg \
         share/icons/hicolor/48x48/apps/org.sonvex.Sonvex.png share/icons/hicolor/256x256/apps/org.sonvex.Sonvex.png; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done

# The installed programs are read-only for their user (root may write anyway).
chmod -R a-w "$prefix"
mkdir -p "$tmp/home"
out=$(HOME=$tmp/home XDG_CONFIG_HOME= XDG_DATA_HOME= "$prefix/bin/sonvex-cli" calc "$prefix/share/sonvex/Projekte/Default.ZPJ")
[ "$out" = "Berechnung war erfolgreich." ] || { echo "installed sonvex-cli: $out"; exit 1; }

check_desktop_program() {
  # As root, a read-only prefix would still be writable: run as nobody then.
  local runas=()
  local user=$(id -u)
  if [ "$user" -eq 0 ]; then
    runas=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    user=65534
  fi
  chmod 755 "$tmp"
  local home=$tmp/guihome run=$tmp/guirun
  mkdir -p "$home" "$run"
  chmod 700 "$run"
  chown "$user" "$home" "$run"

  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$tmp/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  [ -s "$tmp/display" ] || { echo "Xvfb did not start"; exit 1; }
  local display=:$(cat "$tmp/display")

  # A clean environment: the user's home and an X display, nothing of the
  # test run (no offscreen platform). Leak reports of the X and font
  # libraries at exit are not the program's.
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display" LANG=C.UTF-8 \
      ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
      "${runas[@]}" "$prefix/bin/sonvex" >"$tmp/gui.out" 2>"$tmp/gui.err" &
  gui=$!
  local w
  w=$(DISPLAY=$display timeout 120 xdotool search --sync --onlyvisible --name '^Sonvex .*\[' | head -1) || true
  [ -n "$w" ] || { echo "the installed sonvex showed no window"; cat "$tmp/gui.err"; exit 1; }
  sleep 2
  # "Programm beenden" (Ctrl+X).
  DISPLAY=$display xdotool windowfocus --sync "$w" key ctrl+x
  local rc=0
  for _ in $(seq 600); do kill -0 "$gui" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$gui" 2>/dev/null; then echo "the installed sonvex did not quit"; exit 1; fi
  wait "$gui" || rc=$?
  gui=""
  [ "$rc" -eq 0 ] || { echo "the installed sonvex ended with status $rc"; cat "$tmp/gui.err"; exit 1; }
  if [ -s "$tmp/gui.err" ] || [ -s "$tmp/gui.out" ]; then
    echo "the installed sonvex wrote:"; cat "$tmp/gui.out" "$tmp/gui.err"; exit 1
  fi
  [ -f "$home/.config/sonvex/Sonvex.ini" ] || { echo "no settings in ~/.config/sonvex"; exit 1; }
  [ -f "$home/.local/share/sonvex/Projekte/Default.ZPJ" ] || { echo "no sample data in ~/.local/share/sonvex"; exit 1; }
  if [ -n "$(find "$prefix" -name Sonvex.ini)" ]; then echo "settings written into the prefix"; exit 1; fi
  echo "installed desktop program ok"
}

if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  check_desktop_program
else
  echo "Xvfb or xdotool missing (xvfb, xdotool): the installed desktop program is not started"
fi
chmod -R u+w "$prefix"
echo "install ok"
