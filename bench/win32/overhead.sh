#!/bin/sh
# What the Windows program costs beyond the files it carries, and how fast it
# writes them. Prints figures; never fails.
#   bench/win32/overhead.sh [build folder, default build/win32]
# Needs a configured and built win32 preset; the write timing runs under Wine
# (set DISPLAY if the prefix still has to be created).
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win32}
exe="$build/src/platform/win32/VELDOR汉化.exe"
triple=i686-w64-mingw32

if [ ! -f "$exe" ]; then
    echo "no program at $exe: configure and build the win32 preset first"
    exit 0
fi

payload_dir=$(sed -n 's/^VELDOR_PAYLOAD_DIR:PATH=//p' "$build/CMakeCache.txt")
payload_bytes=0
for f in eng.db ZQ05_Bod.ttf chi.db config.dat; do
    payload_bytes=$((payload_bytes + $(stat -c %s "$payload_dir/$f")))
done
exe_bytes=$(stat -c %s "$exe")
overhead=$((exe_bytes - payload_bytes))

# The floor: the smallest window program the same toolchain and flags give,
# the image hardening included.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat > "$scratch/floor.cpp" <<'CPP'
#include <windows.h>
static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) { PostQuitMessage(0); return 0; }
    return DefWindowProcW(w, m, wp, lp);
}
int WINAPI wWinMain(HINSTANCE i, HINSTANCE, PWSTR, int show) {
    WNDCLASSW c{};
    c.lpfnWndProc = proc;
    c.hInstance = i;
    c.lpszClassName = L"floor";
    RegisterClassW(&c);
    HWND w = CreateWindowW(L"floor", L"floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 200, 100, nullptr, nullptr, i, nullptr);
    ShowWindow(w, show);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}
CPP
floor_bytes=
if $triple-g++-posix -std=c++20 -Os -ffunction-sections -fdata-sections -static -static-libgcc \
    -static-libstdc++ -Wl,--gc-sections,--nxcompat,--dynamicbase,--tsaware -mwindows -municode -s \
    "$scratch/floor.cpp" -o "$scratch/floor.exe" 2>"$scratch/floor.log"; then
    floor_bytes=$(stat -c %s "$scratch/floor.exe")
fi

echo "VELDOR汉化.exe               $exe_bytes bytes"
echo "payloads                    $payload_bytes bytes"
echo "program overhead            $overhead bytes ($((overhead / 1024)) KiB; goal <= 40 KiB = 40960 bytes)"
# What the hardening shows in the headers (IMAGE_DLLCHARACTERISTICS_*).
flags=$((0x$($triple-objdump -p "$exe" | sed -n 's/^DllCharacteristics[[:space:]]*//p')))
hardening=
[ $((flags & 0x40)) -ne 0 ] && hardening="$hardening dynamic-base"
[ $((flags & 0x100)) -ne 0 ] && hardening="$hardening NX"
[ $((flags & 0x8000)) -ne 0 ] && hardening="$hardening terminal-server-aware"
$triple-objdump -h "$exe" | grep -q ' \.reloc ' && hardening="$hardening relocations"
echo "hardening                  ${hardening:- none}"
if [ -n "$floor_bytes" ]; then
    echo "toolchain floor             $floor_bytes bytes (a bare static window program)"
    echo "overhead above the floor    $((overhead - floor_bytes)) bytes"
else
    echo "toolchain floor             unavailable (floor program did not build)"
fi
echo

if cmake --build "$build" --target win32_write_bench >"$scratch/build.log" 2>&1; then
    run="$root/cmake/wine-run.sh"
    prefix="$build/wine-prefix"
    [ -d "$prefix" ] || "$run" "$prefix" --init >/dev/null 2>&1
    "$run" "$prefix" "$build/bench/win32/win32_write_bench.exe" ||
        echo "write timing unavailable (Wine did not run the benchmark)"
else
    echo "write timing unavailable (benchmark did not build)"
fi
exit 0
