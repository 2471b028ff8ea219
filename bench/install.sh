#!/usr/bin/env bash
# The install command against the floor, in time and in peak memory; the
# proof of the payloads against `openssl dgst -sha256` of the same four files,
# both as whole processes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target install_bench proof_bench >/dev/null
bench=build/linux/bench/install_bench
rounds=${1:-15}
"$bench" "$rounds"

# The median wall time of a command over the rounds, in microseconds.
median_us() {
  local times=() start end
  for _ in $(seq "$rounds"); do
    start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (rounds + 1) / 2 ))p"
}
files=()
for name in eng.db ZQ05_Bod.ttf chi.db config.dat; do files+=("resources/$name"); done
openssl=$(median_us openssl dgst -sha256 "${files[@]}")
proof=$(median_us build/linux/bench/proof_bench)
awk -v p="$proof" -v o="$openssl" 'BEGIN {
  printf "proof: %.2f ms  openssl dgst -sha256: %.2f ms  ratio: %.2fx (goal <= 1.2x, whole processes, medians)\n", p / 1000, o / 1000, p / o }'
none=$("$bench" --memory none) floor=$("$bench" --memory floor) install=$("$bench" --memory install)
echo "peak resident memory: no install ${none} KiB, floor ${floor} KiB, install ${install} KiB"
echo "install beyond the floor: $((install - floor)) KiB (the largest payload is 1235 KiB; both map the payloads from the executable, neither copies them)"
