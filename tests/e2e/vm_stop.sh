# Stops the machine vm_start.sh started, and removes its job folder.
E2E_STAY_ON_HOST=1
. "$(dirname "$0")/lib.sh"
[ -n "${E2E_VM_JOBS:-}" ] || exit 0
"$E2E_VM" stop "$E2E_VM_JOBS"
[ ! -e "$E2E_VM_JOBS" ] || e2e_fail "$E2E_VM_JOBS is still there"
echo "no virtual machine left"
