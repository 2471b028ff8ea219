#!/usr/bin/env bash
# A real process on a real folder, stopped (SIGKILL) or failed (EIO, ENOSPC)
# by strace at each rename, unlink, write and fsync in turn. A failed attempt
# leaves the old game as it was (exit 3), or, past the commit, the whole patch
# (exit 0). After a kill, the next attempt resolves what was left and
# installs: the whole patch, nothing of the installer's own left over.
#   interrupted_install.sh INSTALL-DRIVER
set -euo pipefail
driver=$1
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The game as a player has it: both superseded fonts, an older eng.db.
make_game() {
  mkdir -p "$1/data/cmn/fe" "$1/data/gui"
  head -c 300000 /dev/urandom >"$1/data/cmn/fe/eng.db"
  echo title >"$1/data/gui/ZQ05_Tit.ttf"
  echo sans >"$1/data/gui/ZQSSanCB.ttf"
  echo game >"$1/game.exe"
  chmod 640 "$1/data/cmn/fe/eng.db"
}

# Every entry below the folder with its mode and, for files, its contents.
snapshot() {
  (cd "$1" && find . -mindepth 1 -printf '%p %m\n' | sort &&
    find . -type f -print0 | sort -z | xargs -0 sha256sum)
}

make_game "$scratch/old"
old=$(snapshot "$scratch/old")
cp -a "$scratch/old" "$scratch/new"
[ "$("$driver" "$scratch/new")" = 安装完毕 ] || fail "a clean install failed"
new=$(snapshot "$scratch/new")

fresh_game() { rm -rf "$scratch/game" && cp -a "$scratch/old" "$scratch/game"; }

for syscall in renameat2 unlink write fsync; do
  fresh_game
  strace -f -o "$scratch/trace" -e trace=$syscall "$driver" "$scratch/game" >/dev/null
  calls=$(grep -c "$syscall(" "$scratch/trace")
  [ "$calls" -gt 0 ] || fail "no $syscall call to interrupt"
  echo "$syscall: $calls calls"
  for n in $(seq 1 "$calls"); do
    fresh_game
    code=0
    (strace -f -o /dev/null -e inject=$syscall:signal=KILL:when=$n "$driver" "$scratch/game" \
      >/dev/null) 2>/dev/null || code=$?
    [ $code -eq 137 ] || fail "$syscall #$n: not killed (exit $code)"
    said=$("$driver" "$scratch/game") || true
    [ "$said" = 安装完毕 ] || fail "$syscall #$n killed: the next attempt said: $said"
    [ "$(snapshot "$scratch/game")" = "$new" ] || fail "$syscall #$n killed: not the whole patch after"
  done
  for errno in EIO ENOSPC; do
    [ $syscall = write ] || [ $errno = EIO ] || continue
    for n in $(seq 1 "$calls"); do
      fresh_game
      code=0
      strace -f -o /dev/null -e inject=$syscall:error=$errno:when=$n "$driver" "$scratch/game" \
        >/dev/null || code=$?
      case $code in
        3) [ "$(snapshot "$scratch/game")" = "$old" ] || fail "$syscall $errno #$n: the folder changed" ;;
        0) # past the commit a failure only leaves a leftover, which the next attempt removes
           "$driver" "$scratch/game" >/dev/null || fail "$syscall $errno #$n: the next attempt failed"
           [ "$(snapshot "$scratch/game")" = "$new" ] || fail "$syscall $errno #$n: not the whole patch" ;;
        *) fail "$syscall $errno #$n: exit $code" ;;
      esac
    done
  done
done

# Read-only stays read-only and the folder whole, for root too.
rm -rf "$scratch/game" && cp -a "$scratch/old" "$scratch/game"
chmod 444 "$scratch/game/data/cmn/fe/eng.db"
before=$(snapshot "$scratch/game")
said=$("$driver" "$scratch/game") || true
[ "$said" = 路径错误 ] || fail "read-only eng.db: said $said"
[ "$(snapshot "$scratch/game")" = "$before" ] || fail "read-only eng.db: the folder changed"

[ $failures -eq 0 ] && echo "all interruptions resolved"
exit $((failures > 0))
