#!/usr/bin/env bash
# Builds the Debian package from the build and checks its files and dependencies.
set -euo pipefail
build=$1
gui=${2:-1}
command -v dpkg-deb >/dev/null || { echo "no dpkg-deb: skipped"; exit 0; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/varko_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expect=(./usr/bin/varko-search ./usr/share/man/man1/varko-search.1)
[ "$gui" = 1 ] && expect+=(./usr/bin/Varko64 ./usr/share/applications/varko.desktop
                          ./usr/share/icons/hicolor/scalable/apps/varko.svg)
for f in "${expect[@]}"; do
  grep -qx -- "$f" <<<"$files" || { echo "missing in the package: $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libstdc++6; do
  grep -q "$d" <<<"$depends" || { echo "package does not depend on $d: $depends"; exit 1; }
done
echo "package ok: $(basename "$deb")"
