#!/bin/sh
# Runs a Windows program under Wine in the given prefix, quietly.
#   wine-run.sh PREFIX --init        create the prefix (once, before any test)
#   wine-run.sh PREFIX PROGRAM ARGS  run PROGRAM in it
# The prefix is a 32-bit one, for the installer as players get it, where this
# kernel runs 32-bit programs (32-bit Wine is one); where it does not, a
# 64-bit one, for the 64-bit build of the same code (tools/test picks it).
# Mono and Gecko are never needed; skipping them keeps wineboot from offering
# downloads.
set -e
[ $# -ge 2 ] || { echo "usage: $0 PREFIX --init | PROGRAM [ARGS...]" >&2; exit 2; }
case $1 in
    /*) WINEPREFIX=$1 ;;
    *) WINEPREFIX=$(pwd)/$1 ;;  # Wine wants it absolute
esac
shift
export WINEPREFIX
if "$(dirname "$0")/runs-32-bit"; then
    export WINEARCH=win32
    wine=wine
else
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    wine=$WINELOADER
fi
# Quiet, unless a test asks for a trace (e2e/run.sh: the processes started).
export WINEDEBUG="${VELDOR_WINEDEBUG:--all}"
# A caller's overrides (the planted-DLL test) are kept.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
# File names are passed to Linux in UTF-8 whatever the caller's locale.
export LC_ALL=C.UTF-8

if [ "$1" = "--init" ]; then
    rm -rf "$WINEPREFIX"
    $wine wineboot --init
    # A bare X server has no window manager; unmanaged windows avoid waits
    # for one that never answers.
    $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    # No Windows font covers Chinese here: the window's 宋体 becomes
    # WenQuanYi Zen Hei, and the system's UI fonts fall back to it.
    zenhei=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
    if [ -f "$zenhei" ]; then
        ln -sf "$zenhei" "$WINEPREFIX/drive_c/windows/Fonts/wqy-zenhei.ttc"
        for face in 宋体 SimSun; do
            $wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
                /d 'WenQuanYi Zen Hei' /f >/dev/null
        done
        for face in Tahoma 'MS Shell Dlg' 'Microsoft Sans Serif' 'MS Sans Serif'; do
            $wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
                /v "$face" /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null
        done
    fi
    wineserver -w
    exit 0
fi
exec $wine "$@"
