#!/usr/bin/env bash
# Builds the Debian packages from the build and checks their files, their dependencies and
# lintian's verdict.
set -euo pipefail
build=$1
gui=${2:-1}
command -v dpkg-deb >/dev/null || { echo "no dpkg-deb: skipped"; exit 0; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
fail() { echo "$*"; exit 1; }

cli=$(ls "$out"/varko-search_"$version"_*.deb)
packages=("$cli")
# package | files it must hold | files it must not hold
checks=(
  "$cli|./usr/bin/varko-search ./usr/share/man/man1/varko-search.1.gz
   ./usr/share/bash-completion/completions/varko-search ./usr/share/doc/varko-search/copyright
   ./usr/share/doc/varko-search/changelog.gz|./usr/bin/Varko64 ./usr/share/applications/varko.desktop"
)
if [ "$gui" = 1 ]; then
  desktop=$(ls "$out"/varko_"$version"_*.deb)
  packages+=("$desktop")
  checks+=(
    "$desktop|./usr/bin/Varko64 ./usr/share/man/man1/Varko64.1.gz ./usr/share/applications/varko.desktop
     ./usr/share/icons/hicolor/scalable/apps/varko.svg ./usr/share/metainfo/org.example.varko.metainfo.xml
     ./usr/share/doc/varko/copyright ./usr/share/doc/varko/changelog.gz|./usr/bin/varko-search
     ./usr/share/man/man1/varko-search.1.gz"
  )
fi
for c in "${checks[@]}"; do
  IFS='|' read -r deb present absent <<<"$(tr '\n' ' ' <<<"$c")"
  files=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for f in $present; do grep -qx -- "$f" <<<"$files" || fail "$(basename "$deb") lacks $f"; done
  for f in $absent; do ! grep -qx -- "$f" <<<"$files" || fail "$(basename "$deb") holds $f"; done
  # Compressed as gzip -9n makes it: the same bytes again.
  x=$(mktemp -d "$out/x.XXXX")
  dpkg-deb -x "$deb" "$x"
  for gz in $(cd "$x" && find . -name '*.gz'); do
    zcat "$x/$gz" | gzip -9n | cmp -s - "$x/$gz" || fail "$(basename "$deb"): $gz is not compressed with gzip -9n"
  done
  [ "$(dpkg-deb -f "$deb" Suggests)" = meld ] || fail "$(basename "$deb") does not suggest meld"
  ! dpkg-deb -f "$deb" Recommends | grep -q meld || fail "$(basename "$deb") recommends meld"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$(basename "$deb") is not version $version"
done

# dpkg-shlibdeps' versioned dependencies; the command line needs no Qt.
depends=$(dpkg-deb -f "$cli" Depends)
grep -Eq 'libc6 \(>= [0-9.]+\)' <<<"$depends" || fail "varko-search has no versioned libc6: $depends"
grep -Eq 'libstdc\+\+6 \(>= [0-9.]+\)' <<<"$depends" || fail "varko-search has no versioned libstdc++6: $depends"
! grep -q qt <<<"$depends" || fail "varko-search depends on Qt: $depends"
if [ "$gui" = 1 ]; then
  depends=$(dpkg-deb -f "$desktop" Depends)
  grep -Fq "varko-search (= $version)" <<<"$depends" || fail "varko lacks varko-search (= $version): $depends"
  grep -Eq 'libqt6widgets6 \(>= [0-9.]+\)' <<<"$depends" || fail "varko has no versioned libqt6widgets6: $depends"
fi

if command -v lintian >/dev/null; then
  # Only the package build (scripts/package) has Debian's hardening flags; other builds are
  # held to everything else.
  suppress=()
  grep -q -- '-z,now' "$build/CMakeCache.txt" ||
    suppress=(--suppress-tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-relro)
  lintian --pedantic --fail-on error,warning "${suppress[@]}" "${packages[@]}" || fail "lintian failed"
else
  echo "no lintian: skipped"
fi
echo "packages ok: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
