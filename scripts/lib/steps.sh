# Sourced by the test scripts: runs named steps and keeps their results and
# wall times, so that a failing step does not hide the ones after it and
# the next person sees where the minutes go.
#
#   step NAME COMMAND [ARGUMENT...]        runs the command now; its status
#                                          is NAME's result
#   step_beside NAME COMMAND [ARGUMENT...] starts it beside the steps that
#                                          run already, its output kept apart;
#                                          at most $steps_beside at once
#   steps_join                             waits for those, then prints each
#                                          one's output and result, in the
#                                          order they were started
#   steps_report                           prints each result and time and the
#                                          total; fails if any step did
#
# Steps beside each other are the end-to-end rows and suites that mostly
# wait on a faked clock: they share the cores well, and none of their
# verdicts depends on how busy the machine is. A step's output is its own;
# the results are listed apart, as data, never as a format.
#
# steps_beside (STEPS_BESIDE, default three a core) is also what the
# scripts give ctest for suites of such rows.
steps_beside=${STEPS_BESIDE:-$((3 * $(nproc)))}
step_results=""
steps_failed=0
steps_began=$(date +%s)
steps_scratch=""
steps_started=0
steps_joined=0

# step_done NAME STATUS SECONDS: keeps a step's result.
step_done() {
    if [ "$2" -eq 0 ]; then
        step_results="$step_results$1: passed ($3 s)
"
    else
        step_results="$step_results$1: FAILED ($3 s)
"
        steps_failed=1
    fi
}

step() {
    step_name=$1
    shift
    echo "== $step_name"
    step_began=$(date +%s)
    step_status=0
    "$@" || step_status=$?
    step_done "$step_name" "$step_status" $(($(date +%s) - step_began))
}

step_beside() {
    if [ -z "$steps_scratch" ]; then
        steps_scratch=$(mktemp -d /tmp/tarwendle-steps.XXXXXX)
        # A script that stops early leaves no step running behind it.
        trap 'wait; rm -rf "$steps_scratch"' EXIT
    fi
    # The oldest first: its output comes first anyway.
    if [ $((steps_started - steps_joined)) -ge "$steps_beside" ]; then
        step_join_one
    fi
    steps_started=$((steps_started + 1))
    steps_each=$steps_scratch/$steps_started
    printf '%s\n' "$1" >"$steps_each.name"
    shift
    (
        began=$(date +%s)
        status=0
        "$@" >"$steps_each.out" 2>&1 </dev/null || status=$?
        echo "$status $(($(date +%s) - began))" >"$steps_each.result"
    ) &
    echo $! >"$steps_each.pid"
}

step_join_one() {
    steps_joined=$((steps_joined + 1))
    steps_each=$steps_scratch/$steps_joined
    wait "$(cat "$steps_each.pid")" || true
    steps_name=$(cat "$steps_each.name")
    echo "== $steps_name"
    cat "$steps_each.out"
    # No result: the step's shell itself was killed.
    read -r steps_status steps_seconds <"$steps_each.result" || steps_status=1 steps_seconds=0
    step_done "$steps_name" "$steps_status" "$steps_seconds"
}

steps_join() {
    while [ "$steps_joined" -lt "$steps_started" ]; do
        step_join_one
    done
}

steps_report() {
    steps_join
    echo "== results"
    printf '%s' "$step_results"
    echo "total: $(($(date +%s) - steps_began)) s"
    return $steps_failed
}
