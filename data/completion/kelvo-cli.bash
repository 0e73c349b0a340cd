# bash completion of kelvo-cli: the candidates come from kelvo-cli itself ("kelvo-cli complete").
_kelvo_cli() {
    local current=${COMP_WORDS[COMP_CWORD]}
    case "${COMP_WORDS[COMP_CWORD-1]}" in
        --install-dir|--root)
            mapfile -t COMPREPLY < <(compgen -d -- "$current")
            return ;;
    esac
    mapfile -t COMPREPLY < <("${COMP_WORDS[0]}" complete -- "${COMP_WORDS[@]:1:COMP_CWORD}" 2>/dev/null)
}
complete -F _kelvo_cli kelvo-cli
