#!/usr/bin/env bash
# The committed payload stand-ins and icon files are what their generators
# make, byte for byte, and the hand-built ZIP is sound (the font generator
# checks its own tables as it goes).
#
# Usage: check_standins.sh [SOURCE_DIR]   (default: the repository root)
# Set PYTHON to choose the interpreter (default: python3).
set -u

res=${1:-$(cd "$(dirname "$0")/../.." && pwd)}/resources
py=${PYTHON:-python3}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$py" "$res/make_standins.py" "$tmp" && "$py" "$res/make_icon.py" "$tmp" ||
    { echo "FAIL: a generator failed"; exit 1; }
for f in eng.db chi.db ZQ05_Bod.ttf config.dat veldor.ico veldor-32.png veldor-16.png; do
    cmp -s "$res/$f" "$tmp/$f" || { echo "FAIL $f differs from its generator's output (rerun it and commit)"; exit 1; }
done
"$py" -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip())' "$res/config.dat" ||
    { echo "FAIL config.dat has a damaged member"; exit 1; }
