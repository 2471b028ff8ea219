#!/bin/sh
# How fast the Windows program answers a player, under Wine: process start to
# window shown, and folder chosen to completion message, beside a bare window
# program built with the same toolchain, and that program showing the
# installer's texts in its fonts. Prints figures; never fails.
#   bench/win32/ui.sh [build folder, default build/win32] [runs, default 7]
# Uses the current X display, or a private Xvfb (tools/with-display).
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win32}
runs=${2:-7}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

if ! cmake --build "$build" --target win32_ui_bench >"$log" 2>&1; then
    echo "timings unavailable (the benchmark did not build; configure the win32 preset first)"
    exit 0
fi
run="$root/cmake/wine-run.sh"
prefix="$build/wine-prefix"
[ -d "$prefix" ] || "$root/tools/with-display" "$run" "$prefix" --init >/dev/null 2>&1
"$root/tools/with-display" "$run" "$prefix" "$build/bench/win32/win32_ui_bench.exe" \
    "Z:$build/bench/win32/win32_floor_window.exe" \
    "Z:$build/bench/win32/win32_floor_window_cjk.exe" "$runs" ||
    echo "timings unavailable (Wine did not run the benchmark)"
exit 0
