# shellcheck shell=bash
# Wine prefix and virtual screen for the tools and .ci/run; sourced, not run.
#
#   wine_use_prefix PREFIX         export the Wine environment for PREFIX
#   wine_stop                      stop the prefix's wineserver and its programs
#   virtual_screen_start WxH       run the prefix's programs on a new Xvfb screen
#   wait_for_still_screen          wait until the screen stops changing
#   at_exit COMMAND [ARGS...]      run COMMAND when the script ends
#
# The caller sets `set -euo pipefail` itself.

# Actions for the end of the script, the last registered first.
hushlark_exit_actions=()

at_exit() {
    hushlark_exit_actions=("$(printf '%q ' "$@")" "${hushlark_exit_actions[@]}")
    # Bash runs the EXIT trap on Ctrl-C and kill too. A script that sets its
    # own EXIT trap would drop these actions: use at_exit instead.
    trap hushlark_run_exit_actions EXIT
}

hushlark_run_exit_actions() {
    local action
    for action in "${hushlark_exit_actions[@]}"; do
        eval "$action" || true
    done
}

wine_use_prefix() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    # No Mono or Gecko installer dialogs while the prefix is made.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

wine_stop() {
    wineserver -k 2>/dev/null || true
}

# Starts Xvfb on a free display and exports DISPLAY. A wineserver that was
# started without a display would break every window the programs open, so the
# prefix's wineserver is stopped first; at exit it is stopped again before the
# screen goes away.
virtual_screen_start() {
    local geometry=$1 channel display
    wine_stop
    channel=$(mktemp -d)
    mkfifo "$channel/display"
    # Xvfb picks the first free display itself and writes its number to the
    # descriptor once it accepts connections, so there is nothing to guess or
    # poll. Opening the pipe blocks until this shell reads it.
    Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp 3>"$channel/display" >/dev/null 2>&1 &
    at_exit hushlark_stop_xvfb $!
    # An empty answer means Xvfb ended before it was ready.
    read -r -t 30 display <"$channel/display" || true
    rm -rf "$channel"
    if [ -z "$display" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=:$display
    at_exit wine_stop
}

hushlark_stop_xvfb() {
    kill "$1" 2>/dev/null || true
    # Its display is free again once it has ended.
    wait "$1" 2>/dev/null || true
}

# Waits until three screenshots in a row, 0.15 s apart, are equal: windows that
# have just been opened are then fully painted. Gives up after about 15 s.
wait_for_still_screen() {
    local previous='' current still=0 tries
    for ((tries = 0; tries < 100; tries++)); do
        current=$(import -silent -window root rgb:- | md5sum)
        if [ "$current" = "$previous" ]; then
            still=$((still + 1))
            [ "$still" -ge 2 ] && return 0
        else
            still=0
        fi
        previous=$current
        sleep 0.15
    done
    echo "the screen kept changing" >&2
    return 1
}
