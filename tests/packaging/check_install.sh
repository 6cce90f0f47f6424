#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# the desktop entry and AppStream metadata pass their validators, icon and
# file types are in place, and the installed sonvex-cli computes the
# installed Default.ZPJ with the user's folders in a temporary home.
#   check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
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
chmod -R u+w "$prefix"
echo "install ok"
