#!/bin/sh
# Runs the end-to-end driver under Wine with two extra drive letters, each
# mapped to a fresh empty folder: one holds game folders, the other is used
# as a game folder at its root. Both go again afterwards. A stand-in browser
# writes the address it is asked to open to a file: Wine's document opener
# runs the browsers its WineBrowser key lists, only it.
# With --dpi=N the prefix's screen has N dots per inch for this run.
# Wine traces the processes it starts to a file the driver reads, and a game
# folder has data\gui as a link out of it (Wine shows a Unix symbolic link to
# a folder as a reparse point; a Windows program cannot make one there).
#   run.sh WINE-PREFIX DRIVER.exe [--dpi=N] [driver options]
set -eu
prefix=$1
driver=$2
shift 2
dpi=96
case ${1:-} in --dpi=*) dpi=${1#--dpi=}; shift ;; esac
export WINEPREFIX="$prefix"
drives="$prefix/dosdevices"
free=$(for l in m n o p q r s t u v w x y; do [ -e "$drives/$l:" ] || [ -L "$drives/$l:" ] || echo $l; done)
second=$(echo $free | cut -d' ' -f1)
root=$(echo $free | cut -d' ' -f2)
[ -n "$root" ] || { echo "no free drive letters in $prefix" >&2; exit 1; }

run="$(dirname "$0")/../../../cmake/wine-run.sh"
scratch=$(mktemp -d)
desktop='HKCU\Control Panel\Desktop'
set_dpi() { "$run" "$prefix" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null; }
trap 'chattr -R -i "$scratch" 2>/dev/null || true; rm -f "$drives/$second:" "$drives/$root:"; [ "$dpi" = 96 ] || set_dpi 96
      wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
[ "$dpi" = 96 ] || set_dpi "$dpi"
mkdir "$scratch/second" "$scratch/root"
printf '#!/bin/sh\nprintf "%%s" "$1" > "%s/opened"\n' "$scratch" > "$scratch/browser"
chmod +x "$scratch/browser"
"$run" "$prefix" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$scratch/browser" /f >/dev/null
mkdir -p "$scratch/second/linked/data/cmn/fe" "$scratch/second/outside"
ln -s ../../outside "$scratch/second/linked/data/gui"
ln -s "$scratch/second" "$drives/$second:"
ln -s "$scratch/root" "$drives/$root:"

# Drives show in the folder dialog only if they existed when Wine started.
wineserver -k 2>/dev/null || true
status=0
VELDOR_WINEDEBUG=-all,trace+process "$run" "$prefix" "$driver" "$@" "$second:" "$root:" \
    "Z:$scratch/opened" "Z:$scratch/trace" 2>"$scratch/trace" || status=$?
grep -v ':trace:process:' "$scratch/trace" >&2 || true
exit $status
