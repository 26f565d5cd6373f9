# Sourced by the shell tests.
passed=0
failures=0

# check DESCRIPTION COMMAND...: runs the command; counts a pass or a failure and says which.
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# wait_for SECONDS COMMAND...: until the command succeeds; fails when the time is up.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}
