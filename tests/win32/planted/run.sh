#!/bin/sh
# The planted-DLL test. Beside a copy of the installer, a marker DLL under
# each name of its preload list, and Wine told to prefer them to its own
# ("n,b": Windows' search order for a DLL that is not a Known DLL). First a
# control program without the protection must load every one (else the rig
# proves nothing); then a whole run of the copy (start, the keys, the screen
# reader's view, About, the folder dialog, a complete installation) must
# load none.
#   run.sh WINE-PREFIX PROGRAM.exe MARKER.dll CONTROL.exe E2E-DRIVER.exe
set -eu
prefix=$1 program=$2 marker=$3 control=$4 driver=$5
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../cmake/wine-run.sh"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Wine maps these while starting any program, as imports of its own DLLs,
# before the program's first instruction: out of every program's reach
# there. Planted for the control, not beside the installer.
exceptions="version"

names=$("$run" "$prefix" "$control" --list | tr -d '\r')
[ -n "$names" ] || fail "no DLL names from the control program"
overrides=
for name in $names; do
    cp "$marker" "$folder/$name.dll"
    overrides="$overrides${overrides:+,}$name"
done
export WINEDLLOVERRIDES="$overrides=n,b"

cp "$control" "$folder/control.exe"
"$run" "$prefix" "$folder/control.exe" || true
for name in $names; do
    [ -e "$folder/$name.dll.loaded" ] || fail "the control program did not load the planted $name.dll"
done
rm -f "$folder"/*.loaded "$folder/control.exe"

for name in $exceptions; do rm -f "$folder/$name.dll"; done
cp "$program" "$folder/"
status=0
VELDOR_PROGRAM="Z:$folder/$(basename "$program")" "$here/../e2e/run.sh" "$prefix" "$driver" \
    --gtest_filter='EndToEnd.FocusKeys*:EndToEnd.InstallsInto*' ||
    status=$?
loaded=$(cd "$folder" && ls -- *.loaded 2>/dev/null | tr '\n' ' ' || true)
[ -z "$loaded" ] || fail "the installer loaded planted DLLs: $loaded"
[ "$status" -eq 0 ] || fail "the installation did not run through"
echo "no planted DLL loaded ($(echo $names | wc -w) planted; not planted, loaded by Wine before any program: $exceptions)"
