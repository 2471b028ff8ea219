#!/bin/sh
# Runs a Windows program under Wine in the given prefix, quietly.
#   wine-run.sh PREFIX --init        create the prefix (once, before any test)
#   wine-run.sh PREFIX PROGRAM ARGS  run PROGRAM in it
# Only 32-bit programs are built, so the prefix is a 32-bit one. Mono and
# Gecko are never needed; skipping them keeps wineboot from offering downloads.
set -e
[ $# -ge 2 ] || { echo "usage: $0 PREFIX --init | PROGRAM [ARGS...]" >&2; exit 2; }
case $1 in
    /*) WINEPREFIX=$1 ;;
    *) WINEPREFIX=$(pwd)/$1 ;;  # Wine wants it absolute
esac
shift
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# File names are passed to Linux in UTF-8 whatever the caller's locale.
export LC_ALL=C.UTF-8

if [ "$1" = "--init" ]; then
    rm -rf "$WINEPREFIX"
    wine wineboot --init
    # A bare X server has no window manager; unmanaged windows avoid waits
    # for one that never answers.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    wineserver -w
    exit 0
fi
exec wine "$@"
