#!/usr/bin/env bash
# Installs the build into a temporary root and checks that every file lands in its place and
# that both programs answer --help and --version from there, without a display.
set -euo pipefail
build=$1
gui=${2:-1}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
expect=(
  usr/bin/varko-search
  usr/share/man/man1/varko-search.1.gz
  usr/share/bash-completion/completions/varko-search
  usr/share/doc/varko-search/copyright
  usr/share/doc/varko-search/changelog.gz
)
if [ "$gui" = 1 ]; then
  expect+=(usr/bin/Varko64 usr/share/applications/varko.desktop usr/share/icons/hicolor/scalable/apps/varko.svg
           usr/share/man/man1/Varko64.1.gz usr/share/metainfo/org.example.varko.metainfo.xml
           usr/share/doc/varko/copyright usr/share/doc/varko/changelog.gz)
fi
for f in "${expect[@]}"; do
  [ -e "$root/$f" ] || { echo "missing in the install tree: /$f"; exit 1; }
done
[ -x "$root/usr/bin/varko-search" ] || { echo "varko-search is not executable"; exit 1; }
"$root/usr/bin/varko-search" --help | grep -q '^Usage: varko-search' || { echo "varko-search --help failed"; exit 1; }
version=$("$root/usr/bin/varko-search" --version | sed -n 's/^varko-search //p')
[ -n "$version" ] || { echo "varko-search --version failed"; exit 1; }
if [ "$gui" = 1 ]; then
  grep -q '^Exec=Varko64 %f$' "$root/usr/share/applications/varko.desktop" || { echo "desktop entry Exec"; exit 1; }
  # No display and no platform chosen: these must not need a window.
  nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
  "${nodisplay[@]}" "$root/usr/bin/Varko64" --help | grep -q '^Usage: Varko64' || { echo "Varko64 --help failed"; exit 1; }
  [ "$("${nodisplay[@]}" "$root/usr/bin/Varko64" --version)" = "Varko64 $version" ] ||
    { echo "Varko64 --version does not say Varko64 $version"; exit 1; }
fi
# The manual pages must be readable by man's formatter without warnings.
if command -v groff >/dev/null; then
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1 || true)
    [ -z "$warnings" ] || { echo "$(basename "$page"): $warnings"; exit 1; }
  done
fi
bash -n "$root/usr/share/bash-completion/completions/varko-search"
echo "install tree ok"
