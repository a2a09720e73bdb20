#!/usr/bin/env bash
# Syncs racing in one folder: two or three at once, or one while git fetches
# beside it rewrite FETCH_HEAD with another remote's commit. Whatever the
# timing, the catalogue ends as the record-by-record merge makes it, no merge
# is left halfway, and the other machine gets the same catalogue next sync.
# Usage: sync_race_test.sh BINARY [ROUNDS]
set -u
bin=$(realpath "$1") rounds=${2:-20}
top=$(mktemp -d) && trap 'rm -rf "$top"' EXIT
export GIT_CONFIG_NOSYSTEM=1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
q() { "$bin" "$@" >/dev/null 2>&1; }
# A's records in A's order without those B deleted or edited, then B's edit
# and B's add in B's order.
expected=$'Title 1\tSN-1\nTitle 3\tSN-3\nTitle 7\tSN-7\nTitle 4b\tSN-4b\nTitle 6\tSN-6'

# Machines A and B share a remote; B deletes Title 2, edits Title 4, adds
# Title 6 and syncs; A deletes Title 5 and adds Title 7, not synced yet.
# A also knows a second remote, stray, whose catalogue is another one.
setup() {
    export HOME=$1 && cd "$1" || exit 2
    git config --global user.name Tester && git config --global user.email tester@example.org
    git config --global init.defaultBranch main
    git init -q --bare remote.git && git init -q --bare stray.git && mkdir A S
    q -C S git init && q -C S add Stray SN-X && git -C S remote add origin "$1/stray.git" && q -C S sync
    q -C A git init
    for i in 1 2 3 4 5; do q -C A add "Title $i" "SN-$i"; done
    git -C A remote add origin "$1/remote.git" && git -C A remote add stray "$1/stray.git" && q -C A sync
    git clone -q remote.git B && q -C B sync
    q -C B delete 2 && q -C B edit 3 --name "Title 4b" --serial SN-4b && q -C B add "Title 6" SN-6 && q -C B sync
    q -C A delete 5 && q -C A add "Title 7" SN-7
}

# After a race: a refused sync (status 1) is followed by one plain sync.
settle() {  # RACE ROUND STATUS...
    local race=$1 round=$2 st refused=0 found
    shift 2
    for st; do
        [ "$st" = 1 ] && refused=1
        [ "$st" -le 1 ] || fail "$race round $round: a sync ended with status $st"
    done
    [ $refused = 1 ] && q -C A sync
    found=$("$bin" -C A list | cut -f2,3)
    if [ "$found" = "$expected" ]; then
        good[$race]=$((${good[$race]:-0} + 1))
    else
        fail "$race round $round: A's catalogue is not the merge rule's (expected < > found):"
        diff <(echo "$expected") <(echo "$found")
    fi
    [ ! -e A/.git/MERGE_HEAD ] && ! git -C A status --porcelain | grep -q '^\(U.\|.U\|AA\|DD\)' \
        || fail "$race round $round: a merge is left in progress"
    q -C A sync && q -C B sync
    [ "$("$bin" -C B list)" = "$("$bin" -C A list)" ] || fail "$race round $round: B's catalogue differs from A's"
}

declare -A good tries
# The rule itself, with one plain sync.
setup "$(mktemp -d -p "$top")"
q -C A sync
settle plain 1 $?

for ((round = 1; round <= rounds; round++)); do
    setup "$(mktemp -d -p "$top")"
    n=$((2 + round % 2)) pids=()
    for ((i = 0; i < n; i++)); do "$bin" -C A sync >/dev/null 2>&1 & pids+=($!); done
    sts=()
    for p in "${pids[@]}"; do wait "$p"; sts+=($?); done
    tries[syncs]=$round
    settle syncs "$round" "${sts[@]}"

    setup "$(mktemp -d -p "$top")"
    (while [ ! -e stop ]; do
        git -C A fetch -q origin && git -C A fetch -q origin +refs/heads/main:refs/remotes/origin/other
        git -C A fetch -q stray main
    done 2>/dev/null) & loop=$!
    sleep 0.0$((round % 10))
    q -C A sync
    st=$?
    touch stop && wait $loop
    tries[fetches]=$round
    settle fetches "$round" $st
done
for race in syncs fetches; do
    echo "$race: ${tries[$race]:-0} tries, ${good[$race]:-0} ended with the rule's catalogue"
done
echo "$failures failures"
[ $failures = 0 ]
