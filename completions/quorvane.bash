# bash completion for quorvane: its commands, their options, and after show,
# edit and delete the record codes of the catalogue that -C (or else
# QUORVANE_DIR) names. Nothing typed is ever run: the words are taken apart
# here, never handed to eval, and file names go back quoted.

# The words of the line up to the cursor, split at blanks outside quotes as
# the shell splits them, quotes kept, into _quorvane_words; the last one is
# the word being completed. COMP_WORDS would split at = and : as well.
_quorvane_split()
{
    local line=${COMP_LINE:0:COMP_POINT} word="" quote="" c i
    _quorvane_words=()
    for ((i = 0; i < ${#line}; i++)); do
        c=${line:i:1}
        if [[ -z $quote && $c == [[:blank:]] ]]; then
            [[ -n $word ]] && _quorvane_words+=("$word")
            word=""
            continue
        fi
        word+=$c
        if [[ $c == '\' && $quote != "'" ]]; then
            word+=${line:i+1:1}
            ((i++))
        elif [[ $c == [\"\'] && ( -z $quote || $c == "$quote" ) ]]; then
            [[ -z $quote ]] && quote=$c || quote=""
        fi
    done
    _quorvane_words+=("$word")
}

# The word as quorvane will get it, into _quorvane_value: quotes and
# backslashes undone, a leading ~ and $NAME or ${NAME} expanded. False for
# what only running something could tell ($( ), `, $(( ))).
_quorvane_dequote()
{
    local w=$1 out="" quote="" c i
    if [[ $w == '~' || $w == '~/'* ]]; then
        out=$HOME
        w=${w:1}
    fi
    for ((i = 0; i < ${#w}; i++)); do
        c=${w:i:1}
        if [[ $quote == "'" ]]; then
            [[ $c == "'" ]] && quote="" || out+=$c
        elif [[ $c == '\' ]]; then
            ((i++))
            [[ $quote == '"' && ${w:i:1} != [\"\\\$\`] ]] && out+='\'
            out+=${w:i:1}
        elif [[ $c == '"' ]]; then
            [[ -z $quote ]] && quote='"' || quote=""
        elif [[ $c == "'" ]]; then
            quote="'"
        elif [[ $c == '$' && ${w:i} =~ ^\$(\{([A-Za-z_][A-Za-z0-9_]*)\}|([A-Za-z_][A-Za-z0-9_]*)) ]]; then
            c=${BASH_REMATCH[2]}${BASH_REMATCH[3]}
            out+=${!c}
            ((i += ${#BASH_REMATCH[0]} - 1))
        elif [[ $c == [\$\`] ]]; then
            return 1
        else
            out+=$c
        fi
    done
    _quorvane_value=$out
}

# Offers what `compgen ARG -- VALUE` finds for the word being completed,
# VALUE its raw text (quoted as typed), as file names that bash quotes. Bash
# replaces only what follows the last : or = of a word, so the candidates
# lose what stands before it.
_quorvane_offer()
{
    local raw=$2 fixed=""
    if [[ $raw != *[\"\'\\]* && $raw == *[:=]* ]] && _quorvane_dequote "${raw%"${raw##*[:=]}"}"; then
        fixed=$_quorvane_value
    fi
    _quorvane_dequote "$raw" || return
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen "$1" -- "$_quorvane_value")
    COMPREPLY=("${COMPREPLY[@]#"$fixed"}")
}

# Whether a word is --directory, in full or cut short, with or without =DIR.
_quorvane_is_directory() { [[ $1 == --d* && --directory == "${1%%=*}"* ]]; }

_quorvane()
{
    local commands="list show find add edit delete check export load recover import git clone key sync log restore merge merge-driver textconv encrypt decrypt filter-process help"
    local i word dir cmd="" args=0 value=0 dirs=() known=1 n cur prev
    _quorvane_split
    n=${#_quorvane_words[@]} cur=${_quorvane_words[n - 1]} prev=${_quorvane_words[n - 2]}
    # The options before the command, every -C kept in order, as quorvane
    # applies them; then the command's own words.
    for ((i = 1; i < n - 1; i++)); do
        word=${_quorvane_words[i]} dir=""
        if [[ -z $cmd ]]; then
            if [[ $word == -C ]] || { _quorvane_is_directory "$word" && [[ $word != *=* ]]; }; then
                ((++i < n - 1)) && dir=${_quorvane_words[i]}
            elif [[ $word == -C?* ]]; then
                dir=${word#-C}
            elif _quorvane_is_directory "$word"; then
                dir=${word#*=}
            elif [[ $word != -* ]]; then
                cmd=$word
            fi
            if [[ -n $dir ]]; then
                _quorvane_dequote "$dir" && dirs+=(-C "$_quorvane_value") || known=0
            fi
        elif ((value)); then
            value=0
        elif [[ $word == @(-n|-s|--name|--serial|--base|--key|--import) ]]; then
            value=1
        elif [[ $word != -* ]]; then
            ((args++))
        fi
    done

    if [[ -z $cmd ]]; then
        if [[ $prev == -C ]] || { _quorvane_is_directory "$prev" && [[ $prev != *=* ]]; }; then
            _quorvane_offer -d "$cur"
        elif _quorvane_is_directory "$cur" && [[ $cur == *=* ]]; then
            _quorvane_offer -d "${cur#*=}"
        elif [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "-C --directory= -h --help -V --version" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        fi
        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return
    fi

    if ((value)); then   # an option's value: a file, or a new name or serial
        [[ $prev == @(--base|--key|--import) ]] && _quorvane_offer -f "$cur"
        return
    fi
    if [[ $cur == @(--base|--key|--import)=* ]]; then
        _quorvane_offer -f "${cur#*=}"
        return
    fi
    local options="--help"
    case $cmd in
    list | show | find | import | sync) options="--json --help" ;;
    log) options="-n --json --help" ;;
    merge) options="--base= --help" ;;
    clone) options="--key= --help" ;;
    key) options="--import= --help" ;;
    edit) options="--name= --serial= --help" ;;
    delete) options="-v --verbose --help" ;;
    git) return ;;  # git's own words
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return
    fi
    case $cmd in
    show | edit | delete)
        # The codes, two digits each: nothing there for compgen to expand.
        ((known)) && [[ $cmd == delete || $args == 0 ]] &&
            mapfile -t COMPREPLY < <(compgen -W "$(quorvane "${dirs[@]}" list 2>/dev/null | cut -f1)" -- "$cur")
        ;;
    export | load | import | merge | merge-driver | textconv) _quorvane_offer -f "$cur" ;;
    clone) ((args < 2)) && _quorvane_offer -d "$cur" ;;  # a local remote, then the new folder
    help) ((args == 0)) && mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur") ;;
    esac
}

complete -F _quorvane quorvane
