#!/usr/bin/env bash
# Makes the Debian package from the build tree and checks it as Debian would:
# lintian, the desktop entry, the AppStream metadata, and what the package
# holds and declares. Skipped (77) where a checking tool is missing.
#   package.sh <build dir> <version>
set -euo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli scdoc; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" || { cat "$work/cpack.log"; exit 1; }
deb=$work/tallyvane_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work"; echo "FAIL: no $deb"; exit 1; }

# Errors fail; warnings are shown.
lintian --fail-on error --no-tag-display-limit "$deb" || fail "lintian reports errors"

dpkg-deb --contents "$deb" | awk '{print $1, $NF}' >"$work/contents"
while read -r mode path; do
  grep -qxF -e "$mode ./usr/$path" "$work/contents" || fail "not in the package with mode $mode: /usr/$path"
done <<LIST
-rwxr-xr-x bin/tallyvane
-rwxr-xr-x bin/tallyvane-companion
-rw-r--r-- share/applications/com.example.Tallyvane.desktop
-rw-r--r-- share/metainfo/com.example.Tallyvane.metainfo.xml
-rw-r--r-- share/icons/hicolor/scalable/apps/tallyvane.svg
-rw-r--r-- share/icons/hicolor/16x16/apps/tallyvane.png
-rw-r--r-- share/icons/hicolor/48x48/apps/tallyvane.png
-rw-r--r-- share/icons/hicolor/256x256/apps/tallyvane.png
-rw-r--r-- share/man/man1/tallyvane.1.gz
-rw-r--r-- share/man/man1/tallyvane-companion.1.gz
-rw-r--r-- share/doc/tallyvane/copyright
-rw-r--r-- share/doc/tallyvane/changelog.gz
-rw-r--r-- share/tallyvane/help/index.html
LIST

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Section)" = web ] || fail "section: $(field Section)"
[ "$(field Recommends)" = "chromium | chromium-browser, qt6-wayland" ] || fail "recommends: $(field Recommends)"
field Depends | grep -q 'libqt6widgets6' || fail "depends without Qt: $(field Depends)"

dpkg-deb --extract "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/com.example.Tallyvane.desktop" || fail "desktop entry"
grep -qx 'Exec=tallyvane %U' "$work/root/usr/share/applications/com.example.Tallyvane.desktop" || fail "Exec takes no addresses"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.example.Tallyvane.metainfo.xml" || fail "metainfo"
# Every place that names the version agrees with the package.
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/com.example.Tallyvane.metainfo.xml" \
  || fail "metainfo has no release $version"
zcat "$work/root/usr/share/doc/tallyvane/changelog.gz" | head -1 | grep -qF "tallyvane ($version)" \
  || fail "changelog does not start with $version"
zcat "$work/root/usr/share/man/man1/tallyvane.1.gz" | grep -q '^\.SH SYNOPSIS' || fail "manual page without a synopsis"
exit "$failed"
