#!/usr/bin/env bash
# The install command against the floor, in time and in peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target install_bench >/dev/null
bench=build/linux/bench/install_bench
"$bench" "${1:-15}"
none=$("$bench" --memory none) floor=$("$bench" --memory floor) install=$("$bench" --memory install)
echo "peak resident memory: no install ${none} KiB, floor ${floor} KiB, install ${install} KiB"
echo "install beyond the floor: $((install - floor)) KiB (the largest payload is 1235 KiB; both map the payloads from the executable, neither copies them)"
