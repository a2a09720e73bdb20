#!/usr/bin/env bash
# The bash completion offers the commands and the record codes of the
# catalogue that -C names; the zsh and fish completions parse, where those
# shells are installed.
# Usage: completion_test.sh BINARY SOURCE_DIR
set -u
bin=$(realpath "$1") src=$(realpath "$2")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/other" && ln -s "$bin" "$work/bin/quorvane" && cd "$work" || exit 2
export PATH=$work/bin:$PATH QUORVANE_DIR=
failures=0
expect() {   # what the completion should offer, then the words typed
    local want=$1
    shift
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
    _quorvane
    [ "${COMPREPLY[*]}" = "$want" ] || { echo "FAIL: '$*' offers '${COMPREPLY[*]}', not '$want'"; failures=$((failures + 1)); }
}
quorvane add Alpha A-1 >/dev/null && quorvane add 'Beta Two' B-2 >/dev/null && quorvane -C other add Zed Z-1 >/dev/null
source "$src/completions/quorvane.bash"
expect edit quorvane ed
expect '01 02' quorvane show ''
expect 01 quorvane -C other delete ''
expect 01 quorvane --directory = other edit ''
expect '' quorvane edit 01 ''
expect '--json --help' quorvane list --
for shell in zsh fish; do
    if command -v $shell >/dev/null; then
        file=$src/completions/_quorvane && [ $shell = fish ] && file=$src/completions/quorvane.fish
        $shell -n "$file" || { echo "FAIL: $shell cannot parse $file"; failures=$((failures + 1)); }
    else
        echo "$shell is not installed: its completion was NOT checked"
    fi
done
echo "$failures failures"
[ $failures = 0 ]
