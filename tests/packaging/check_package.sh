#!/usr/bin/env bash
# Builds the Debian package from this build folder with CPack and checks it:
# its control data (name, version, architecture, the Qt 6 libraries among
# its dependencies); lintian, whose only remark is the one warning the README
# explains; the programs hardened (hardening-check) and without a .comment
# section or a path of the checkout; the changelogs and the README; the same
# bytes when packed again; and the unpacked sonvex-cli, which computes the
# packaged Default.ZPJ in the user's folders (as root, too) and writes
# nothing into the unpacked tree.
#   check_package.sh BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
build=$1
version=$2
src=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

for tool in lintian hardening-check readelf; do
  command -v "$tool" >/dev/null || fail "$tool missing (scripts/setup installs it)"
done

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

# Reproducible: CPack stamps every file with SOURCE_DATE_EPOCH (the last
# commit's time unless set), so packing the same build a second time, with
# every staged file written anew seconds later, gives the same bytes. A second
# build from scratch would check the compiler's output as well but doubles the
# build time; `scripts/package --check-reproducible` does that on request.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)}
if [ -n "$epoch" ]; then
  stamp=$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
  stamps=$(dpkg-deb --fsys-tarfile "$deb" | tar -tv --utc --full-time | awk '{ print $4 " " $5 }' | sort -u)
  [ "$stamps" = "$stamp" ] || fail "time stamps in the package other than the last commit's $stamp: $stamps"
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/again" >"$tmp/cpack-again.log" 2>&1 ||
    { cat "$tmp/cpack-again.log"; fail "cpack failed the second time"; }
  cmp "$deb" "$tmp/again/$(basename "$deb")" || fail "packing the same build twice gave different bytes"
else
  echo "not a git checkout and no SOURCE_DATE_EPOCH: reproducibility not checked"
fi

# Every remark of lintian's at info level and above, overridden ones left out
# (their overrides carry the reasons): only the one warning the README
# explains may stay. An override that no longer matches shows up as well.
lintian --display-info "$deb" 2>&1 | grep -v -e '^N:' -e 'running with root privileges' >"$tmp/lintian.log" || true
expected="W: sonvex: initial-upload-closes-no-bugs [usr/share/doc/sonvex/changelog.Debian.gz:1]"
[ "$(cat "$tmp/lintian.log")" = "$expected" ] || { cat "$tmp/lintian.log"; fail "lintian: more than $expected"; }

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/sonvex usr/bin/sonvex-cli usr/share/sonvex/Projekte/Default.ZPJ usr/share/doc/sonvex/copyright \
         usr/share/doc/sonvex/changelog.Debian.gz usr/share/applications/org.sonvex.Sonvex.desktop \
         usr/share/icons/hicolor/48x48/apps/org.sonvex.Sonvex.png usr/share/man/man1/sonvex.1.gz \
         usr/share/man/man1/sonvex-cli.1.gz; do
  [ -e "$root/$f" ] || fail "missing in the package: $f"
done
[ "$(find "$root" -path '*/usr/local*' | head -1)" = "" ] || fail "files below /usr/local in the package"

# The documents: the upstream changelog is CHANGELOG.md, the README the
# source's.
doc=$root/usr/share/doc/sonvex
zcat "$doc/changelog.gz" | cmp - "$src/CHANGELOG.md" || fail "changelog.gz is not CHANGELOG.md"
zcat "$doc/README.md.gz" | cmp - "$src/README.md" || fail "README.md.gz is not README.md"
[ -f "$root/usr/share/lintian/overrides/sonvex" ] || fail "no lintian overrides in the package"

# Hardened with Debian's flags: PIE, stack protector, fortify, RELRO and
# immediate binding (BIND_NOW). The control-flow protection hardening-check
# also knows is not among the flags dpkg-buildflags gives here. Stripped of
# the compiler's .comment section, and no path of the checkout inside.
for program in sonvex sonvex-cli; do
  bin=$root/usr/bin/$program
  hardening-check --nocfprotection "$bin" || fail "$program is not hardened"
  ! readelf -S -W "$bin" | grep -q ' \.comment ' || fail "$program has a .comment section"
  ! grep -q -F -e "$src" -e "$(cd "$build" && pwd)" "$bin" || fail "$program names a path of the checkout"
done

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
