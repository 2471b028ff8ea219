#!/bin/sh
# The release build's promises, on the program alone, built from this source
# in temporary folders:
#  - a build signed with a throwaway certificate, in another folder at
#    another time, verifies against it and gives the unsigned build's bytes
#    back without its signature: reproducible, and how a player checks a
#    signed download;
#  - the unsigned build signed with a password-less certificate (no
#    VELDOR_SIGN_PASSWORD) verifies too;
#  - the signed build runs under Wine: refuses, installs silently.
#   release_build.sh SOURCE-DIR PAYLOAD-DIR WINE-PREFIX E2E-DRIVER.exe MINGW-TRIPLE
set -eu
src=$1 payloads=$2 prefix=$3 driver=$4 triple=$5
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
hash() { sha256sum <"$1" | cut -d' ' -f1; }

# build FOLDER [cmake options]: configures the win32 preset there for the
# tests' kind of program, builds the program.
build() {
    folder=$1
    shift
    { (cd "$src" && cmake --preset win32 -B "$folder" -DVELDOR_MINGW_TRIPLE="$triple" \
        -DVELDOR_PAYLOAD_DIR="$payloads" "$@") &&
        cmake --build "$folder" --target veldor_exe -j2; } >"$folder.log" 2>&1 ||
        { cat "$folder.log" >&2; fail "the build in $folder failed"; }
    program="$folder/src/platform/win32/VELDOR汉化.exe"
}

build "$scratch/one"
unsigned=$(hash "$program")
sleep 1  # a clock-given time stamp would differ now

cd "$scratch"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=VELDOR throwaway signer" \
    -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:throwaway -out signer.p12
VELDOR_SIGN_PASSWORD=throwaway build "$scratch/the-second-folder" -DVELDOR_SIGN_PKCS12="$scratch/signer.p12"
signed=$program
osslsigncode verify -CAfile cert.pem -in "$signed" >verify.log 2>&1 ||
    { cat verify.log >&2; fail "the signed program does not verify"; }
osslsigncode remove-signature -in "$signed" -out stripped.exe >/dev/null
[ "$(hash stripped.exe)" = "$unsigned" ] || fail "the signed build, without its signature, differs from the unsigned one"
echo "two builds: SHA-256 $unsigned"

# The signing step alone, on a copy of the unsigned build.
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass: -out no-password.p12
cp "$scratch/one/src/platform/win32/VELDOR汉化.exe" no-password.exe
env -u VELDOR_SIGN_PASSWORD cmake -DOSSLSIGNCODE="$(command -v osslsigncode)" \
    -DPKCS12=no-password.p12 -DPROGRAM=no-password.exe -P "$src/cmake/sign.cmake" >sign.log 2>&1 ||
    { cat sign.log >&2; fail "signing with a password-less certificate failed"; }
osslsigncode verify -CAfile cert.pem -in no-password.exe >verify.log 2>&1 ||
    { cat verify.log >&2; fail "the program signed without a password does not verify"; }
echo "signed with a password and without"

VELDOR_PROGRAM="Z:$signed" "$src/tests/win32/e2e/run.sh" "$prefix" "$driver" \
    --gtest_filter=EndToEnd.SilentRuns*
