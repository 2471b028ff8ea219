#!/usr/bin/env bash
# The committed payload stand-ins and icon files are what their generators
# make, byte for byte, and the font and the ZIP are sound enough to load.
#
# Usage: check_standins.sh [SOURCE_DIR]   (default: the repository root)
# Set PYTHON to choose the interpreter (default: python3).
set -u

src=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
res=$src/resources
py=${PYTHON:-python3}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

if ! "$py" "$res/make_standins.py" "$tmp" || ! "$py" "$res/make_icon.py" "$tmp"; then
    echo "FAIL: a generator failed"
    exit 1
fi
for f in eng.db chi.db ZQ05_Bod.ttf config.dat veldor.ico veldor-32.png veldor-16.png; do
    cmp -s "$res/$f" "$tmp/$f" || { echo "FAIL $f differs from its generator's output (rerun it and commit)"; failed=1; }
done

"$py" - "$res" <<'PY' || failed=1
import os, struct, sys, zipfile
res = sys.argv[1]
with open(os.path.join(res, "ZQ05_Bod.ttf"), "rb") as f:
    version, tables = struct.unpack(">IH", f.read(6))
if (version, tables) != (0x00010000, 15):
    sys.exit("FAIL ZQ05_Bod.ttf is not an sfnt 1.0 font with 15 tables")
with zipfile.ZipFile(os.path.join(res, "config.dat")) as z:
    if z.testzip() is not None:
        sys.exit("FAIL config.dat has a damaged member")
PY
[ "$failed" -eq 0 ] && echo "all stand-in checks passed"
exit "$failed"
