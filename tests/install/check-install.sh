#!/usr/bin/env bash
# Installs the build into a temporary root and checks that every file lands in its place and
# that varko-search runs from there.
set -euo pipefail
build=$1
gui=${2:-1}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
expect=(
  usr/bin/varko-search
  usr/share/man/man1/varko-search.1
  usr/share/bash-completion/completions/varko-search
)
if [ "$gui" = 1 ]; then
  expect+=(usr/bin/Varko64 usr/share/applications/varko.desktop usr/share/icons/hicolor/scalable/apps/varko.svg)
fi
for f in "${expect[@]}"; do
  [ -e "$root/$f" ] || { echo "missing in the install tree: /$f"; exit 1; }
done
[ -x "$root/usr/bin/varko-search" ] || { echo "varko-search is not executable"; exit 1; }
"$root/usr/bin/varko-search" --help | grep -q '^Usage: varko-search' || { echo "varko-search --help failed"; exit 1; }
if [ "$gui" = 1 ]; then
  grep -q '^Exec=Varko64 %f$' "$root/usr/share/applications/varko.desktop" || { echo "desktop entry Exec"; exit 1; }
  if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$root/usr/share/applications/varko.desktop"; fi
fi
# The manual page must be readable by man's formatter without warnings.
if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$root/usr/share/man/man1/varko-search.1" 2>&1 || true)
  [ -z "$warnings" ] || { echo "man page: $warnings"; exit 1; }
fi
bash -n "$root/usr/share/bash-completion/completions/varko-search"
echo "install tree ok"
