# Sourced by the test scripts: runs named steps and keeps their results, so
# that a failing step does not hide the ones after it.
#
#   step NAME COMMAND [ARGUMENT...]   runs the command; its status is NAME's result
#   steps_report                       prints each result; fails if any step did
#
# A step's output is its own; the results are listed apart, as data, never
# as a format.
step_results=""
steps_failed=0

step() {
    step_name=$1
    shift
    echo "== $step_name"
    if "$@"; then
        step_results="$step_results$step_name: passed
"
    else
        step_results="$step_results$step_name: FAILED
"
        steps_failed=1
    fi
}

steps_report() {
    echo "== results"
    printf '%s' "$step_results"
    return $steps_failed
}
