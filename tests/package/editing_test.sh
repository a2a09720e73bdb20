#!/usr/bin/env bash
# The menu's line editing, with real keys through a pseudo-terminal: the
# records stored hold the lines as edited (the arrows, Home, End, Delete,
# Backspace, Ctrl-A/E/K/U/W, Up through the answers typed before), and a
# line holds 4095 characters at most, what is typed beyond dropped. Ctrl-D on
# an empty line ends the menu with status 0, Ctrl-C kills it with nothing
# changed, and either way the terminal is left in the modes it had.
# Usage: editing_test.sh BINARY SOURCE_DIR
set -u
export QV=$(realpath "$1") QUORVANE_DIR= TERM=xterm
src=$(realpath "$2")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# One answer a line: \x1b[D is Left, \x1b[A Up, \x1b[H Home, \x1b[F End,
# \x1b[3~ Delete, \x7f Backspace, \x01 Ctrl-A and so on. The shell between
# (no job control) leaves the terminal's modes as the menu left them.
long=$(printf '%5000s' '' | tr ' ' a)
python3 "$src/tests/package/keys.py" sh -c 'trap : INT; stty -g > modes; "$QV"; echo "ended=$?"
    stty -g > modes.ended; cp velk.dat kept; "$QV"; echo "killed=$?"; stty -g > modes.killed' > screen 2>&1 <<KEYS
1\r
Vid\x1b[15~\x1b[De\r
AB\x01X\x05Y\x1b[H\x1b[3~\x1b[FZ\r
y\r
1\r
gone\x15\x1b[A\x1b[A\x1b[A\x1b[A 2 junk\x17\x7f\r
S2junk\x1b[D\x1b[D\x1b[D\x1b[D\x0b\r
y\r
1\r
$long\x1b[Hb\r
S\r
\x04
1\r
Vid
\x03
KEYS
printf 'Data Total : 02 \n\n(01)[ Vied ]*\nABYZ #\n(02)[ Vied 2 ]*\nS2 #\n' > want
cmp -s velk.dat want || fail "the records stored are not the lines as edited: $(od -c velk.dat)"
tr -d '\r\n' < screen | grep -aq "name is \[ ${long:0:4095} \]" || fail "a pasted line did not keep 4095 characters"
grep -aq 'ended=0' screen || fail "Ctrl-D on an empty line did not end the menu with status 0"
grep -aq 'killed=130' screen || fail "Ctrl-C did not kill the menu"
cmp -s velk.dat kept || fail "Ctrl-C changed velk.dat"
for m in modes.ended modes.killed; do
    cmp -s modes $m || fail "the terminal was not left in its modes ($m)"
done
[ $failures = 0 ] || tr -d '\r' < screen
echo "$failures failures"
[ $failures = 0 ]
