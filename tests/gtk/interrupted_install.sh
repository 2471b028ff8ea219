#!/usr/bin/env bash
# The program installing silently into a real folder, stopped (SIGKILL) or
# failed (EIO, ENOSPC) by strace at each rename, unlink, write and fsync in
# turn. A failed attempt leaves the old game as it was (exit 3), or, past the
# commit, the whole patch (exit 0). After either, the next attempt resolves
# what was left and installs: the whole patch, nothing of the installer's own.
#   interrupted_install.sh PROGRAM
set -euo pipefail
program=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Every entry below the game with its mode and, for files, its contents.
snapshot() {
  (cd "$scratch/game" && find . -mindepth 1 -printf '%p %m\n' | sort &&
    find . -type f -print0 | sort -z | xargs -0 sha256sum)
}

# The game as a player has it: both superseded fonts, an older eng.db.
mkdir -p "$scratch/old/data/cmn/fe" "$scratch/old/data/gui"
head -c 300000 /dev/urandom >"$scratch/old/data/cmn/fe/eng.db"
echo title >"$scratch/old/data/gui/ZQ05_Tit.ttf"
echo sans >"$scratch/old/data/gui/ZQSSanCB.ttf"
echo game >"$scratch/old/game.exe"
chmod 640 "$scratch/old/data/cmn/fe/eng.db"

fresh_game() { rm -rf "$scratch/game" && cp -a "$scratch/old" "$scratch/game"; }
install=("$program" --silent "--folder=$scratch/game")
fresh_game
old=$(snapshot)
"${install[@]}" 2>/dev/null || fail "a clean install failed"
new=$(snapshot)

for syscall in renameat2 unlink write fsync; do
  fresh_game
  strace -f -o "$scratch/trace" -e trace=$syscall "${install[@]}" 2>/dev/null
  calls=$(grep -c "$syscall(" "$scratch/trace") || fail "no $syscall call to interrupt"
  echo "$syscall: $calls calls"
  for fault in signal=KILL error=EIO error=ENOSPC; do
    [ $syscall = write ] || [ $fault != error=ENOSPC ] || continue
    for n in $(seq 1 "$calls"); do
      fresh_game
      code=0
      (strace -f -o /dev/null -e inject=$syscall:$fault:when=$n "${install[@]}") 2>/dev/null ||
        code=$?
      case $fault:$code in
        error=*:3) [ "$(snapshot)" = "$old" ] || fail "$syscall $fault #$n: the folder changed" ;;
        signal=KILL:137 | error=*:0) # killed, or failed past the commit: a leftover at most
          "${install[@]}" 2>/dev/null || fail "$syscall $fault #$n: the next attempt failed"
          [ "$(snapshot)" = "$new" ] || fail "$syscall $fault #$n: not the whole patch after" ;;
        *) fail "$syscall $fault #$n: exit $code" ;;
      esac
    done
  done
done

[ $failures -eq 0 ] && echo "all interruptions resolved"
exit $((failures > 0))
