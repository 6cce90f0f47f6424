#!/usr/bin/env bash
# Builds the Debian package from this build folder with CPack and checks it:
# its control data (name, version, architecture, the Qt 6 libraries among
# its dependencies), lintian without errors, and the unpacked sonvex-cli,
# which computes the packaged Default.ZPJ in the user's folders (as root,
# too) and writes nothing into the unpacked tree.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

arch=$(dpkg --print-architecture)
deb=$tmp/out/sonvex_${version}-1_${arch}.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack failed"; }
[ -f "$deb" ] || { ls "$tmp/out"; fail "no package $(basename "$deb")"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sonvex ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6; do
  [[ ",$depends," == *", $lib ("* || ",$depends," == *",$lib ("* ]] || fail "Depends lacks $lib: $depends"
done
[ -n "$(field Section)" ] && [ -n "$(field Maintainer)" ] || fail "Section or Maintainer missing"

if command -v lintian >/dev/null; then
  # Errors fail the test; the warnings that stay are explained in the README.
  rc=0
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || rc=$?
  grep -v 'running with root privileges' "$tmp/lintian.log" || true
  [ "$rc" -eq 0 ] || fail "lintian found errors"
else
  echo "lintian missing (lintian): the package is not checked by it"
fi

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/sonvex usr/bin/sonvex-cli usr/share/sonvex/Projekte/Default.ZPJ usr/share/doc/sonvex/copyright \
         usr/share/doc/sonvex/changelog.Debian.gz usr/share/applications/org.sonvex.Sonvex.desktop \
         usr/share/icons/hicolor/48x48/apps/org.sonvex.Sonvex.png usr/share/man/man1/sonvex.1.gz \
         usr/share/man/man1/sonvex-cli.1.gz; do
  [ -e "$root/$f" ] || fail "missing in the package: $f"
done
[ "$(find "$root" -path '*/usr/local*' | head -1)" = "" ] || fail "files below /usr/local in the package"

cli=$root/usr/bin/sonvex-cli
[ "$("$cli" --version)" = "sonvex-cli $version" ] || fail "sonvex-cli --version: $("$cli" --version)"
find "$root" | sort >"$tmp/before"
out=$(env -i PATH=/usr/bin:/bin HOME="$tmp/home" LANG=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 \
      "$cli" calc "$root/usr/share/sonvex/Projekte/Default.ZPJ") || true
[ "$out" = "Berechnung war erfolgreich." ] || fail "unpacked sonvex-cli calc: $out"
find "$root" | sort >"$tmp/after"
diff "$tmp/before" "$tmp/after" || fail "sonvex-cli wrote into the unpacked tree (as user $(id -un))"
[ -f "$tmp/home/.local/share/sonvex/Projekte/Default.ZPJ" ] || fail "no sample data in ~/.local/share/sonvex"
echo "package ok: $(basename "$deb")"
