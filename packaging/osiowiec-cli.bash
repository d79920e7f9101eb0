# Bash completion for osiowiec-cli: its commands, each command's options, and
# file names by what the command reads or writes.         -*- shell-script -*-

_osiowiec_cli()
{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'eval new dump table render analyze area serve
            receive help --help --version' -- "$cur"))
        return
    fi

    local command=${words[1]} options
    case $command in
        eval) options='--degrees --order --program' ;;
        new) options='-f --x --y --points --degrees --dots --grid --scale --table
            --header --caption -o' ;;
        dump) options='--computed' ;;
        table) options='' ;;
        render) options='-o --size --aliased --points --area --pi --classic' ;;
        analyze) options='--x --max' ;;
        area) options='--function --x' ;;
        serve) options='--port --max --bind' ;;
        receive) options='--port --name --count --timeout -o' ;;
        *) return ;;
    esac

    # The value of the option before the cursor.
    case $command:$prev in
        render:-o)
            _filedir '@(png|svg|pdf)'
            return
            ;;
        new:-o | receive:-o)
            _filedir osw
            return
            ;;
        serve:--bind)
            _ip_addresses
            return
            ;;
        eval:--order | new:-f | new:--x | new:--y | new:--points | new:--grid | \
            new:--scale | new:--table | new:--header | new:--caption | \
            render:--size | analyze:--x | analyze:--max | area:--function | area:--x | \
            serve:--port | serve:--max | receive:--port | receive:--name | \
            receive:--count | receive:--timeout)
            # A number, a formula or a text: nothing to offer.
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
        dump | table | render | analyze | area | serve) _filedir osw ;;
        receive) _known_hosts_real -- "$cur" ;;
    esac
} &&
    complete -F _osiowiec_cli osiowiec-cli
