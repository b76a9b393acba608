#!/usr/bin/env bash
# An installed copy, away from the source and build trees: holdstill finds
# its bundle and built-in scenario under share/holdstill and leaves two
# geotagged pictures; exf runs. Usage: installed_copy_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" --component apps >/dev/null
# Moved after installing: nothing may lead back to where it was put.
mv "$prefix/usr" "$prefix/moved"
cd "$prefix"
out=$(env -u HOLDSTILL_RESOURCES -u HOLDSTILL_SCENARIOS "$prefix/moved/bin/holdstill" run --device "$prefix/phone")
expect() {
  grep -qF -- "$1" <<<"$out" || { printf 'missing: %s\n---\n%s\n' "$1" "$out"; exit 1; }
}
expect "holdstill run $prefix/moved/share/holdstill/scenarios/default.json"
expect ": 2 pictures"
expect "  100APPLE/IMG_0001.JPG  48.85"
expect "  100APPLE/IMG_0002.JPG  48.85"
expect "exit status 0"
"$prefix/moved/bin/exf" --version >/dev/null
