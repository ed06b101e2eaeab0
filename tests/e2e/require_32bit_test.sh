# Where neither this machine nor the virtual machine can run 32-bit Wine, a
# scenario is skipped for a developer's run (exit 77, the reason on stderr)
# and fails in a CI run (CI=true, exit 1, the reason given); where Wine can
# run, it goes on in both. Checks e2e_require_32bit with the machine test
# answered both ways, without Wine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# outcome <CI value> <true|false: machine runs 32-bit Wine>: prints the
# status and the messages of e2e_require_32bit.
outcome() {
    local status=0 output
    output=$( (
        export CI=$1
        E2E_STAY_ON_HOST=1 E2E_BUILD=$scratch E2E_WORK=$scratch/work
        . "$here/lib.sh"
        if [ "$2" = true ]; then e2e_machine_runs_32bit() { true; }; else e2e_machine_runs_32bit() { false; }; fi
        e2e_require_32bit
        echo "went on"
    ) 2>&1) || status=$?
    echo "$status $output"
}

expect() {
    local got
    got=$(outcome "$1" "$2")
    case "$got" in
    $3) ;;
    *)
        echo "FAIL: CI=$1, 32-bit Wine $2: expected '$3', got '$got'"
        failures=$((failures + 1))
        ;;
    esac
}

expect true false '1 FAIL: this machine cannot run 32-bit*a CI run (CI=true) does not skip*'
expect "" false '77 SKIP: this machine cannot run 32-bit*'
expect false false '77 SKIP: *'
expect true true '0 went on'
expect "" true '0 went on'

[ "$failures" -eq 0 ] || exit 1
echo PASS
