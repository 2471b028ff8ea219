#!/bin/sh
# The Linux program run by a script, with no display at all: silent
# installations, their exit codes and their messages, and the options.
#   silent_e2e.sh PROGRAM PAYLOAD_DIR
set -u
program=$1
payloads=$2
unset DISPLAY WAYLAND_DISPLAY
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0

fail() {
    echo "FAIL $*"
    failed=1
}

# A game folder with a superseded font.
game() {
    mkdir -p "$1/data/cmn/fe" "$1/data/gui"
    printf 'old font' >"$1/data/gui/ZQ05_Tit.ttf"
}

# expect CODE TEXT ARGUMENTS...: runs the program in $root; it must end with
# CODE and write TEXT (a fixed string) to stdout or stderr.
expect() {
    code=$1
    text=$2
    shift 2
    (cd "$root" && exec "$program" "$@") >"$root/said" 2>&1
    got=$?
    [ "$got" -eq "$code" ] && grep -qF -- "$text" "$root/said" ||
        fail "$*: ended with $got, said: $(cat "$root/said")"
}

installed() {
    for file in data/cmn/fe/eng.db data/cmn/fe/chi.db data/gui/ZQ05_Bod.ttf config.dat; do
        cmp -s "$1/$file" "$payloads/$(basename "$file")" || fail "$1/$file is not the payload"
    done
    [ ! -e "$1/data/gui/ZQ05_Tit.ttf" ] || fail "$1: the superseded font is still there"
}

game "$root/my game"
expect 0 '安装完毕' --silent "--folder=$root/my game"
installed "$root/my game"

game "$root/relative game"
expect 0 '安装完毕' --folder='relative game' --silent
installed "$root/relative game"

mkdir -p "$root/no fonts/data/cmn/fe"
expect 2 '路径错误：缺少文件夹 data\gui' --silent "--folder=$root/no fonts"
[ -z "$(ls "$root/no fonts/data/cmn/fe")" ] || fail "the refused folder changed"

expect 5 '--silent 需要 --folder' --silent
expect 5 '--folder 需要一个文件夹' --silent --folder=
expect 5 '--bogus' --silent --bogus "--folder=$root/my game"
expect 0 'VELDOR汉化V1.2 1.02' --version
expect 0 '--folder=' --help
# Not silent, the window needs the display it does not have.
expect 1 'cannot open display' "--folder=$root/my game"

exit $failed
