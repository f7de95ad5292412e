# bash completion for kivra: commands, options, port names, parameter names
# and their value words.

_kivra_values() {
    case "$1" in
        state|initial-state) echo "open closed" ;;
        mode) echo "manual single auto trigger" ;;
        valve) echo "KD08-40 KD2-40" ;;
        trigger-in) echo "rising falling" ;;
        trigger-out) echo "high low" ;;
        io1|io2) echo "input output" ;;
    esac
}

_kivra() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="ports info get set shutter run watch raw"
    local params="state mode on-time off-time cycles valve initial-state trigger-in trigger-out io1 io2 light light-idle light-timeout"
    local readings="frequency device-name serial-number firmware"
    local i command="" args=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${COMP_WORDS[i]}" in
            -*) ;;
            *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else args+=("${COMP_WORDS[i]}"); fi ;;
        esac
    done
    if [[ $cur == -* ]]; then
        local options="--json --trace --help"
        case "$command" in
            "") options+=" --version" ;;
            ports) options+=" --details" ;;
            run) options+=" --on --off --cycles --wait" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case "$prev" in --on|--off|--cycles) return ;; esac
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi
    if [[ ${#args[@]} -eq 0 && $command != ports ]]; then
        COMPREPLY=($(compgen -W "$(kivra ports 2>/dev/null)" -- "$cur"))
        return
    fi
    case "$command" in
        get) COMPREPLY=($(compgen -W "$params $readings" -- "$cur")) ;;
        set)
            if (( ${#args[@]} % 2 == 1 )); then
                COMPREPLY=($(compgen -W "$params" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$(_kivra_values "$prev")" -- "$cur"))
            fi ;;
        shutter) [[ ${#args[@]} -eq 1 ]] && COMPREPLY=($(compgen -W "open close" -- "$cur")) ;;
    esac
}
complete -F _kivra kivra
