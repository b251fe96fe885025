# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for tessaray-cli                         -*- shell-script -*-

# One line an option: the commands that take it, the option, what its value is.
#   -          a flag, without a value
#   file       any file name; file:EXT file names ending in .EXT (EXT may be a|b)
#   text       a number, a date or a name: nothing to offer
#   word ...   one of these words
_tessaray_cli_options='
fib               --price1     text
fib               --price2     text
fib               --date1      text
fib               --date2      text
fib,history       --ratios     text
gann              --price      text
gann              --date       text
fib,gann          --name       text
fib,gann          --notes      text
fib               --project    file:fib
gann              --project    file:gann
fib,gann,history  --today      text
fib,gann          --format     report listing json
history           --format     report json
fib,gann          --output     file
fib,gann          --chart      file:png|bmp
fib,gann          --screen     text
fib,gann          --layout     compact large
fib,gann          --lenient    -
fib,gann          --csv        file:csv
history           --data       file:csv
history           --date-format auto mm/dd/yyyy dd/mm/yyyy
history           --swings     close hl
history           --threshold  text
history           --scale      auto
history           --draws      text
history           --seed       text
history           --block-days text
fib,gann,history  --help       -
'

_tessaray_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    if ((cword == 1)); then
        mapfile -t COMPREPLY < <(compgen -W 'fib gann history --help --version --settings-path' -- "$cur")
        return
    fi
    local command=${words[1]} commands option value
    if [[ $cur == -* ]] && ! $split; then
        local offered=()
        while read -r commands option value; do
            [[ -n $option && ,$commands, == *,$command,* ]] && offered+=("$option")
        done <<<"$_tessaray_cli_options"
        mapfile -t COMPREPLY < <(compgen -W "${offered[*]}" -- "$cur")
        return
    fi
    while read -r commands option value; do
        [[ $option == "$prev" && ,$commands, == *,$command,* ]] || continue
        case $value in
            -) ;;
            file) _filedir ;;
            file:*) _filedir "${value#file:}" ;;
            text) ;;
            *) mapfile -t COMPREPLY < <(compgen -W "$value" -- "$cur") ;;
        esac
        return
    done <<<"$_tessaray_cli_options"
} &&
    complete -F _tessaray_cli tessaray-cli
