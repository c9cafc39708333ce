# fish completion for volumist-cli.
# The program says itself what fits the word being typed (volumist-cli __complete), from its own
# command table; this function hands it the line and adds files and folders where it asks for them.

function __volumist_cli_complete
    set -l tokens (commandline -opc)
    set -l program $tokens[1]
    set -e tokens[1]
    set -l current (commandline -ct)
    # The program as typed when it names one (a build folder's), else the one on the PATH.
    if not string match -q '*/*' -- $program; or not test -x $program
        set program volumist-cli
    end
    set -l lines ($program __complete $tokens $current 2>/dev/null)
    set -q lines[1]; or return
    set -l kind $lines[1]
    set -e lines[1]
    if set -q lines[1]
        printf '%s\n' $lines
    end
    switch $kind
        case files
            __fish_complete_path $current
        case directories
            __fish_complete_directories $current
        case volume-files
            __fish_complete_suffix $current .vkt
    end
end

complete -c volumist-cli -f -a '(__volumist_cli_complete)'
