#!/usr/bin/env bash
# Completion as users meet it: keys typed into bash and zsh through a
# pseudo-terminal, fish asked with complete -C. Folder and file names that
# are shell code (a ;, a >, a $( ), a blank) are offered and inserted
# quoted, never run: the canary file must never appear. -C in the ways
# people write it (escaped, quoted, ~, $HOME, with a colon, twice) offers the
# codes of the catalogue quorvane itself would use.
# Usage: completion_test.sh BINARY SOURCE_DIR
set -u
bin=$(realpath "$1") src=$(realpath "$2")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/w" && ln -s "$bin" "$work/bin/quorvane" && cd "$work/w" || exit 2
export PATH=$work/bin:$PATH QUORVANE_DIR= HOME=$work/w/home TERM=xterm
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mkdir -p 'cat;sh' 'out>x' 'my dir' 'a:b' home/h 'ev;touch canary'
for d in 'cat;sh' 'out>x' 'my dir' 'a:b' home/h; do quorvane -C "$d" add "In $d" S >/dev/null; done
printf 'touch canary\n' > list && touch 'exp$(touch canary).json' 'one file.txt'

# The keys typed (\t is TAB), then what the line holds once it is run, its
# words joined by |: the start of it where the shells differ in what follows.
cases=(
    'quorvane -C cat\;sh show \t=>quorvane|-C|cat;sh|show|01|'
    'quorvane -C out\>x show \t=>quorvane|-C|out>x|show|01|'
    'quorvane import ex\t=>quorvane|import|exp$(touch canary).json|'
    'quorvane import on\t=>quorvane|import|one file.txt|'
    'quorvane -C ev\t=>quorvane|-C|ev;touch canary'
    'quorvane -C my\ dir show \t=>quorvane|-C|my dir|show|01|'
    "quorvane -C \"$PWD/my dir\" show \\t=>quorvane|-C|$PWD/my dir|show|01|"
    "quorvane -C ~/h show \\t=>quorvane|-C|$HOME/h|show|01|"
    "quorvane -C \$HOME/h show \\t=>quorvane|-C|$HOME/h|show|01|"
    'quorvane -C a:b show \t=>quorvane|-C|a:b|show|01|'
    'quorvane -C a:\t=>quorvane|-C|a:b'
    'quorvane -C home -C h show \t=>quorvane|-C|home|-C|h|show|01|'
    'quorvane --dir\thome=>quorvane|--directory=home|'
    'quorvane ke\t--import on\t=>quorvane|key|--import|one file.txt|'
    'quorvane clone --k\ton\t=>quorvane|clone|--key=one file.txt|'
    'quorvane help enc\t=>quorvane|help|encrypt|'
    'quorvane dec\t=>quorvane|decrypt|'
)
typed() { for c in "${cases[@]}"; do printf '%s\n%s\n' "${c%%=>*}" "\\x01printf '%s|' \\x05; echo\\r"; done; }

for shell in bash zsh; do
    if ! command -v $shell >/dev/null || ! command -v python3 >/dev/null; then
        echo "$shell or python3 is not installed: the $shell completion was NOT checked"
        continue
    fi
    if [ $shell = bash ]; then
        run=(bash --norc --noprofile -i) start="source $src/completions/quorvane.bash; bind 'set enable-bracketed-paste off'"
    else
        run=(zsh -f -i) start="fpath=($src/completions \$fpath); autoload -U compinit; compinit -u -D"
    fi
    { echo "$start\\r"; typed; } | python3 "$src/tests/package/keys.py" "${run[@]}" > "$work/$shell.out" 2>&1
    for c in "${cases[@]}"; do
        tr -d '\r' < "$work/$shell.out" | grep -aqF -- "${c#*=>}" || fail "$shell: '${c%%=>*}' did not give '${c#*=>}'"
    done
    for f in canary x; do [ ! -e $f ] || { fail "$shell ran what a name held: $f"; rm $f; }; done
done

if command -v fish >/dev/null; then
    for dir in '~/h' '$HOME/h' "'my dir'" 'my\ dir' 'cat\;sh' 'a:b' 'home -C h' '"$(touch canary)"'; do
        got=$(line="quorvane -C $dir show " fish --no-config -c "source $src/completions/quorvane.fish; complete -C \$line")
        want=01 && [ "$dir" = '"$(touch canary)"' ] && want=''
        [ "${got%%$'\t'*}" = "$want" ] || fail "fish: -C $dir offers '$got'"
    done
    [ ! -e canary ] || fail "fish ran what a name held"
    for c in 'key --import on=>one file.txt' 'clone --key=on=>--key=one file.txt' 'help enc=>encrypt' 'dec=>decrypt'; do
        got=$(line="quorvane ${c%%=>*}" fish --no-config -c "source $src/completions/quorvane.fish; complete -C \$line")
        [ "${got%%$'\t'*}" = "${c#*=>}" ] || fail "fish: '${c%%=>*}' offers '$got'"
    done
else
    echo "fish is not installed: its completion was NOT checked"
fi
echo "$failures failures"
[ $failures = 0 ]
