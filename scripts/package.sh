#!/usr/bin/env bash
# Makes the Debian package quillmark_VERSION_amd64.deb from a build tree:
#   scripts/package.sh [BUILD [DIR]]
# BUILD  a configured build tree (default: build), in which the program and
#        its manual page are brought up to date first
# DIR    where the package is put (default: the current folder)
# Install it with: apt install ./quillmark_*.deb
set -euo pipefail
build="${1:-build}"
out="${2:-.}"
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package.sh : $build n'est pas un dossier de compilation configuré (scripts/run.sh en fait un)" >&2
  exit 2
fi
mkdir -p "$out"

cmake --build "$build" --target quillmark manual_page
# CPack's own work folder stays in the build tree; only the package leaves it.
staging="$build/package"
rm -rf "$staging"
cpack --config "$build/CPackConfig.cmake" -B "$staging" > "$build/package.log" 2>&1 ||
  { cat "$build/package.log" >&2; exit 1; }
deb=("$staging"/quillmark_*_amd64.deb)
mv "${deb[0]}" "$out/"
echo "$out/$(basename "${deb[0]}")"
