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
        history)
            case ${COMP_WORDS[COMP_CWORD - 1]} in
                --provider) words="claude codex copilot gemini" ;;
                --limit) words="session weekly" ;;
                --since) return ;;
                *) words="--since --provider --limit --json --csv --demo --help --version" ;;
            esac
            ;;
        screenshot)
            if [[ $cur != -* ]]; then
                # The folder the pictures go to.
                compopt -o filenames 2>/dev/null
                mapfile -t COMPREPLY < <(compgen -d -- "$cur")
                return
            fi
            words="--demo --account --help"
            ;;
        *)
            if ((COMP_CWORD == 1)) && [[ $cur != -* ]]; then
                words="status history screenshot"
            else
                words="--demo --help --version"
            fi
            ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _quotix quotix
