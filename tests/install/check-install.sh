#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree as
# a shop's machine would have it: the programs, the help document where the
# program finds it, the desktop entry, the icon, the manual page matching
# --help, and the data folder of an installed program.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/horunea bin/horunea-cli share/horunea/ホルネア2.0.0.doc \
         share/horunea/help/index.html share/horunea/help/backup.html \
         share/horunea/help/images/Form1-customer.png \
         share/applications/horunea.desktop share/icons/hicolor/256x256/apps/horunea.png \
         share/icons/hicolor/scalable/apps/horunea.svg share/man/man1/horunea-cli.1.gz \
         share/man/man1/horunea.1.gz share/doc/horunea/copyright share/doc/horunea/changelog.gz; do
  [ -s "$prefix/$f" ] || fail "missing: $f"
done
[ -x "$prefix/bin/horunea" ] && [ -x "$prefix/bin/horunea-cli" ] || fail "programs not executable"

desktop=$prefix/share/applications/horunea.desktop
grep -qx 'Name=ホルネア' "$desktop" || fail "desktop entry: Name"
grep -qx 'Categories=Office;' "$desktop" || fail "desktop entry: Categories"
LC_ALL=C.UTF-8 grep -qP '^Comment=.*[\x{3040}-\x{30FF}\x{4E00}-\x{9FFF}]' "$desktop" || fail "desktop entry: a Japanese Comment"
grep -qx 'Icon=horunea' "$desktop" || fail "desktop entry: Icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi

# The icon: a PNG of 256 × 256 and an SVG document.
png=$prefix/share/icons/hicolor/256x256/apps/horunea.png
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is no PNG"
[ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 1 0 0 0 1 0" ] || fail "icon is not 256 x 256"
grep -q '<svg ' "$prefix/share/icons/hicolor/scalable/apps/horunea.svg" || fail "icon is no SVG"

# The manual page holds --help exactly, between .nf and .fi.
cli=$prefix/bin/horunea-cli
"$cli" --help > "$work/help.txt"
gzip -dc "$prefix/share/man/man1/horunea-cli.1.gz" | sed -n '/^\.nf$/,/^\.fi$/p' | sed '1d;$d' |
  sed -e 's/^\\&//' -e 's/\\e/\\/g' > "$work/manual.txt"
diff -u "$work/help.txt" "$work/manual.txt" || fail "the manual page does not match --help"

# An installed program keeps its data in $XDG_DATA_HOME/horunea, never beside itself.
export XDG_DATA_HOME=$work/xdg
[ "$("$cli" where)" = "$XDG_DATA_HOME/horunea" ] || fail "where: $("$cli" where)"
[ "$("$cli" where --help-document)" = "$prefix/share/horunea/ホルネア2.0.0.doc" ] ||
  fail "help document: $("$cli" where --help-document || true)"
"$cli" init 2>/dev/null
[ -f "$XDG_DATA_HOME/horunea/main.mdb" ] || fail "init did not make the data folder"
[ -z "$(ls "$prefix/bin" | grep -v '^horunea')" ] || fail "data written beside the programs"
# Without XDG_DATA_HOME: ~/.local/share/horunea.
[ "$(env -u XDG_DATA_HOME HOME="$work/home" "$cli" where)" = "$work/home/.local/share/horunea" ] ||
  fail "where without XDG_DATA_HOME"
# --data-dir still wins.
[ "$("$cli" --data-dir "$work/mine" where)" = "$work/mine" ] || fail "where with --data-dir"
# The build folder is a program folder of its own: the data stay beside the programs.
[ "$(env -u XDG_DATA_HOME "$build/bin/horunea-cli" where)" = "$build/bin" ] ||
  fail "where from the build folder"
echo "check-install: the installed tree is complete"
