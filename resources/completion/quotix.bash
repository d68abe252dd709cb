# bash completion for quotix

_quotix()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    # A command is only ever the first word: "quotix --demo status" is the tray
    # with a stray argument.
    local command=""
    ((COMP_CWORD > 1)) && command=${COMP_WORDS[1]}

    local words
    case $command in
        status) words="--json --format --remaining --follow --demo --help --version" ;;
        screenshot)
            if [[ $cur != -* ]]; then
                # The folder the pictures go to.
                compopt -o filenames 2>/dev/null
                mapfile -t COMPREPLY < <(compgen -d -- "$cur")
                return
            fi
            words="--demo --help"
            ;;
        *)
            if ((COMP_CWORD == 1)) && [[ $cur != -* ]]; then
                words="status screenshot"
            else
                words="--demo --help --version"
            fi
            ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _quotix quotix
