#!/usr/bin/env bash
# Checks the desktop entry and the AppStream metadata with their validators, and that they, the
# program and the changelog name one identity and one version.
set -euo pipefail
packaging=$1
version=$2
main=$packaging/../src/app/main.cpp
desktop=$packaging/varko.desktop
metainfo=$packaging/org.example.varko.metainfo.xml
fail() { echo "$*"; exit 1; }

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  echo "no desktop-file-validate: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --pedantic --no-net --explain "$metainfo" || fail "appstreamcli validate failed"
else
  echo "no appstreamcli: skipped"
fi

# The program says which desktop entry it is, and the window class is its application name.
grep -q 'setDesktopFileName(QStringLiteral("varko"))' "$main" || fail "main.cpp: desktop file name is not varko"
app_name=$(sed -n 's/.*setApplicationName(QStringLiteral("\([^"]*\)")).*/\1/p' "$main")
grep -qx "StartupWMClass=$app_name" "$desktop" || fail "StartupWMClass is not the application name '$app_name'"
grep -q '<launchable type="desktop-id">varko.desktop</launchable>' "$metainfo" || fail "metainfo launchable"

# Exactly one main category, and the same categories in the metadata.
main_categories="AudioVideo Audio Video Development Education Game Graphics Network Office Science Settings System Utility"
categories=$(sed -n 's/^Categories=//p' "$desktop" | tr ';' ' ')
count=0
for c in $categories; do
  for m in $main_categories; do [ "$c" = "$m" ] && count=$((count + 1)); done
  grep -q "<category>$c</category>" "$metainfo" || fail "metainfo lacks the category $c"
done
[ "$count" = 1 ] || fail "the desktop entry has $count main categories: $categories"

# The release and the changelog's last entry are the project's version.
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
head -1 "$packaging/changelog" | grep -q "^varko ($version) " || fail "changelog does not start with $version"
echo "desktop metadata ok"
