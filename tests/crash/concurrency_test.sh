#!/usr/bin/env bash
# Two or more processes in one directory: adds at the same moment, a delete
# whose record list another process changed before the answer, and a lock
# held by somebody else for too long; with SHIM, the same where the folder
# cannot be flocked, as on NFS.
# Usage: concurrency_test.sh BINARY [SHIM]
set -u
bin=$(realpath "$1")
shim=${2:+$(realpath "$2")}
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
records() { printf 'Data Total : %02d \n\n' "$1"; for ((i = 1; i <= $1; i++)); do printf '(%02d)[ n%d ]*\ns%d #\n' $i $i $i; done; }
sound() { "$bin" check | grep -qx "title lines: $1" && "$bin" check >/dev/null; }

# Twelve adds at once: each gets a code of its own.
for round in 1 2 3; do
    records 0 > velk.dat
    for i in $(seq 12); do "$bin" <<<$'1\nname'"$i"$'\nSN-'"$i"$'\ny\nq' > "out$i" & done
    wait
    [ "$(cat out* | grep -c 'done!')" = 12 ] || fail "round $round: not every add said done"
    sound 12 || fail "round $round: twelve adds at once left $(grep -c '^(' velk.dat) records or an unsound file"
done

# A delete whose list is out of date by the time it is confirmed.
records 12 > velk.dat
rm -f fifo && mkfifo fifo
"$bin" < fifo > delete.out & pid=$!
exec 3> fifo
printf '3\n05\n' >&3
for ((t = 0; t < 100; t++)); do grep -q 'delele this data' delete.out && break; sleep 0.05; done
"$bin" <<<$'2\n06\ny\nRenamed\nn\nq' > /dev/null
printf 'y\nq\n' >&3
exec 3>&-
wait $pid
grep -q 'changed by another process' delete.out || fail "the out-of-date delete was not refused"
grep -q '^(06)\[ Renamed \]' velk.dat && grep -q '^(05)\[ n5 \]' velk.dat && sound 12 || fail "the refused delete changed the file"

# Somebody else holds the lock: the add waits a few seconds, then gives up.
records 3 > velk.dat && cp velk.dat before.dat
flock . sleep 8 & sleep 0.3
"$bin" <<<$'1\nLate\nL-1\ny\nq' > late.out
grep -q ':Can not lock the directory of velk.dat : another process has held the lock for more than 5 seconds $' late.out \
    || fail "no clear line when the lock is held too long"
cmp -s velk.dat before.dat || fail "the add that could not lock changed the file"
kill %1 2>/dev/null

# An NFS client flocks only what is open for writing: the lock is taken on
# .quorvane.lock, which lasts as long as the change.
nfs() { LD_PRELOAD=$shim QV_FLOCK_NEEDS_WRITE=1 "$bin" "$@"; }
if [ -n "$shim" ]; then
    records 0 > velk.dat && rm -f out*
    for i in $(seq 12); do nfs <<<$'1\nname'"$i"$'\nSN-'"$i"$'\ny\nq' > "out$i" & done
    wait
    [ "$(cat out* | grep -c 'done!')" = 12 ] || fail "nfs: not every add said done: $(grep -h Can out* | head -1)"
    sound 12 || fail "nfs: twelve adds at once left $(grep -c '^(' velk.dat) records or an unsound file"
    [ ! -e .quorvane.lock ] || fail "nfs: the lock file was left behind"

    # Held by another, open for writing as NFS needs it.
    records 3 > velk.dat && cp velk.dat before.dat
    (exec 9> .quorvane.lock && flock 9 && exec sleep 8) & holder=$! && sleep 0.3
    nfs <<<$'1\nLate\nL-1\ny\nq' > late.out
    grep -q ':Can not lock the directory of velk.dat : another process has held the lock for more than 5 seconds $' late.out \
        || fail "nfs: no clear line when the lock file is held too long"
    cmp -s velk.dat before.dat || fail "nfs: the add that could not lock changed the file"
    kill $holder && rm .quorvane.lock

    # A link in the lock file's place is never followed.
    ln -s elsewhere .quorvane.lock
    [ "$(nfs add Late L-1 2>&1)" = "quorvane: add: .quorvane.lock: a symbolic link stands in its place" ] \
        && [ ! -e elsewhere ] && cmp -s velk.dat before.dat || fail "nfs: a link in the lock file's place was not refused"
fi
echo "$failures failures"
[ $failures = 0 ]
