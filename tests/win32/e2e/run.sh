#!/bin/sh
# Runs the end-to-end driver under Wine with two extra drive letters, each
# mapped to a fresh empty folder: one holds game folders, the other is used
# as a game folder at its root. Both go again afterwards.
#   run.sh WINE-PREFIX DRIVER.exe [driver options]
set -eu
prefix=$1
driver=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../cmake/wine-run.sh"
export WINEPREFIX="$prefix"

free=""
for letter in m n o p q r s t u v w x y; do
    [ -e "$prefix/dosdevices/$letter:" ] || [ -L "$prefix/dosdevices/$letter:" ] || free="$free $letter"
done
second=$(echo $free | cut -d' ' -f1)
root=$(echo $free | cut -d' ' -f2)
[ -n "$second" ] && [ -n "$root" ] || { echo "no free drive letters in $prefix" >&2; exit 1; }

scratch=$(mktemp -d)
cleanup() {
    rm -f "$prefix/dosdevices/$second:" "$prefix/dosdevices/$root:"
    wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir "$scratch/second" "$scratch/root"
ln -s "$scratch/second" "$prefix/dosdevices/$second:"
ln -s "$scratch/root" "$prefix/dosdevices/$root:"

# Drives show in the folder dialog only if they existed when Wine started.
wineserver -k 2>/dev/null || true
"$run" "$prefix" "$driver" "$@" "--second-drive=$second:" "--root-drive=$root:"
