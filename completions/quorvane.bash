# bash completion for quorvane: its commands, their options, and after show,
# edit and delete the record codes of the catalogue the command line (-C)
# or QUORVANE_DIR names.

_quorvane_codes()
{
    quorvane "${_quorvane_dir[@]}" list 2>/dev/null | cut -f1
}

_quorvane()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="list show find add edit delete check export load recover import help"
    local i word cmd="" args=0
    _quorvane_dir=()
    # The words before the cursor: options for the whole program up to the
    # command, then the command's own words. bash splits --directory=DIR
    # into three words.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $cmd ]]; then
            case $word in
            -C | --directory)
                [[ ${COMP_WORDS[i + 1]} == = ]] && ((i++))
                ((i + 1 < COMP_CWORD)) && _quorvane_dir=(-C "${COMP_WORDS[i + 1]}")
                ((i++))
                ;;
            -C?*) _quorvane_dir=(-C "${word#-C}") ;;
            -*) ;;
            *) cmd=$word ;;
            esac
        elif [[ $word != -* && $word != = && $prev != = ]]; then
            ((args++))
        fi
    done

    if [[ -z $cmd ]]; then
        case $prev in
        -C | --directory | =)
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        esac
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "-C --directory= -h --help -V --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options="--help"
    case $cmd in
    list | show | find | import) options="--json --help" ;;
    edit) options="--name= --serial= --help" ;;
    esac
    case $prev in
    --name | --serial | -n | -s | =) return ;;   # a new name or serial: nothing to offer
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return
    fi
    case $cmd in
    show | edit) ((args == 0)) && COMPREPLY=($(compgen -W "$(_quorvane_codes)" -- "$cur")) ;;
    delete) COMPREPLY=($(compgen -W "$(_quorvane_codes)" -- "$cur")) ;;
    export | load | import) COMPREPLY=($(compgen -f -- "$cur")) ;;
    help) ((args == 0)) && COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
    esac
}

complete -F _quorvane quorvane
