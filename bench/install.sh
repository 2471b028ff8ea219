#!/usr/bin/env bash
# The install command against the floor, in time and in peak memory; the
# proof of the payloads against sha256sum of the same four files.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target install_bench >/dev/null
bench=build/linux/bench/install_bench
rounds=${1:-15}
"$bench" "$rounds"

# sha256sum as a player would run it on the four files, the median of the rounds.
files=()
for name in eng.db ZQ05_Bod.ttf chi.db config.dat; do files+=("resources/$name"); done
times=()
for _ in $(seq "$rounds"); do
  start=$(date +%s%N); sha256sum "${files[@]}" >/dev/null; end=$(date +%s%N)
  times+=($(( (end - start) / 1000 )))
done
sha=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (rounds + 1) / 2 ))p")
verify=$("$bench" --verify "$rounds")
awk -v v="$verify" -v s="$sha" 'BEGIN {
  printf "verify: %.2f ms  sha256sum: %.2f ms  ratio: %.2fx (goal <= 1.5x, medians)\n", v, s / 1000, v / (s / 1000) }'
none=$("$bench" --memory none) floor=$("$bench" --memory floor) install=$("$bench" --memory install)
echo "peak resident memory: no install ${none} KiB, floor ${floor} KiB, install ${install} KiB"
echo "install beyond the floor: $((install - floor)) KiB (the largest payload is 1235 KiB; both map the payloads from the executable, neither copies them)"
