# fish completion for quorvane: its commands, their options, and after show,
# edit and delete the record codes of the catalogue that -C or QUORVANE_DIR
# names, each with its name.

# A -C value as quorvane gets it: a leading ~, $NAME or {$NAME} expanded,
# the rest as typed (commandline -o has undone its quotes). Nothing is
# evaluated.
function __quorvane_expand
    set -l value $argv[1]
    if string match -qr -- '^~(/|$)' $value
        set value $HOME(string sub -s 2 -- $value)
    else if set -l name (string match -r -- '^\$\{?([A-Za-z_]\w*)\}?(/.*)?$' $value)
        set value $$name[2]$name[3]
    end
    echo -- $value
end

# The -C options on the command line so far, in order, as quorvane applies
# them: to pass on to quorvane list.
function __quorvane_dir
    set -l words (commandline -opc)
    set -l i 2
    while test $i -le (count $words)
        switch $words[$i]
            case -C --directory
                set i (math $i + 1)
                test $i -le (count $words); and echo -C; and __quorvane_expand $words[$i]
            case '--directory=*'
                echo -C
                __quorvane_expand (string replace -- --directory= '' $words[$i])
            case '-C?*'
                echo -C
                __quorvane_expand (string sub -s 3 -- $words[$i])
            case '-*'
            case '*'
                return
        end
        set i (math $i + 1)
    end
end

# "01<TAB>name<TAB>serial" becomes "01<TAB>name": the code, described by its
# name, with list's escapes shown as blanks and \\ as \ again.
function __quorvane_codes
    quorvane (__quorvane_dir) list 2>/dev/null | string replace -r '^([^\t]*\t[^\t]*)\t.*$' '$1' \
        | string replace -ra '\\\\\\\\' \x1f | string replace -ra '\\\\(x..|[tnre])' ' ' | string replace -a \x1f '\\'
end

set -l commands list show find add edit delete check export load recover import git clone key sync log restore merge merge-driver textconv encrypt decrypt filter-process help
complete -c quorvane -f
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -s C -l directory -x -a '(__fish_complete_directories)' -d 'Work in DIR'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -s V -l version -d 'Show the version'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a list -d 'Every record'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a show -d 'One record'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a find -d 'Records holding a text, in any case'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add a record'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a edit -d "Change a record's name, serial or both"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a delete -d 'Remove records'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a check -d 'Count what the data file check counts'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a export -d 'Copy velk.dat to a file'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a load -d 'Replace velk.dat with a copy of a file'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a recover -d 'Bring back velk.dat from backup.bak'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a import -d 'Add the records of a file'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a git -d "Run git in the catalogue's folder"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a clone -d 'Clone a remote catalogue into a new folder'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a key -d "Print this folder's key, or take one"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a sync -d 'Merge with the remote, record by record, and push'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a log -d 'The recorded changes of velk.dat'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Make the catalogue what it was at a revision'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a merge -d 'Merge another catalogue file into this one'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a merge-driver -d "Git's merge of velk.dat"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a textconv -d 'The records of a file, for git diff'
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a encrypt -d "Git's filter: velk.dat encrypted"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a decrypt -d "Git's filter: velk.dat decrypted"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a filter-process -d "Git's filter for a whole git command"
complete -c quorvane -n "not __fish_seen_subcommand_from $commands" -a help -d "Show the help, or a command's"
complete -c quorvane -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c quorvane -n '__fish_seen_subcommand_from list find log' -l json -d 'One JSON array'
complete -c quorvane -n '__fish_seen_subcommand_from sync' -l json -d 'One JSON object'
complete -c quorvane -n '__fish_seen_subcommand_from log' -s n -x -d 'How many'
complete -c quorvane -n '__fish_seen_subcommand_from merge' -l base -r -F -d 'The common catalogue'
complete -c quorvane -n '__fish_seen_subcommand_from clone' -l key -r -F -d 'The key of an encrypted catalogue'
complete -c quorvane -n '__fish_seen_subcommand_from key' -l import -r -F -d "Take the key in a file as this folder's"
complete -c quorvane -n '__fish_seen_subcommand_from show' -l json -d 'Its JSON object'
complete -c quorvane -n '__fish_seen_subcommand_from import' -l json -d "The array that 'list --json' prints"
complete -c quorvane -n '__fish_seen_subcommand_from edit' -s n -l name -x -d 'The new name'
complete -c quorvane -n '__fish_seen_subcommand_from edit' -s s -l serial -x -d 'The new serial'
complete -c quorvane -n '__fish_seen_subcommand_from delete' -s v -l verbose -d 'Print each removed record'
complete -c quorvane -n '__fish_seen_subcommand_from show edit delete' -x -a '(__quorvane_codes)'
complete -c quorvane -n '__fish_seen_subcommand_from export load import merge merge-driver textconv' -F
complete -c quorvane -n '__fish_seen_subcommand_from clone' -x -a '(__fish_complete_directories)'
complete -c quorvane -n '__fish_seen_subcommand_from help' -x -a "$commands"
