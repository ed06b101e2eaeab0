# Where Wine runs in the virtual machine (tools/wine-vm), one machine serves
# every scenario of this ctest run: started here, owned by the ctest process
# (it stops by itself when ctest ends, however it ends), stopped by
# vm_stop.sh. Natively there is nothing to start.
E2E_STAY_ON_HOST=1
. "$(dirname "$0")/lib.sh"
if ! "$E2E_VM" needed; then
    echo "this machine runs 32-bit Wine itself: no virtual machine"
    exit 0
fi
"$E2E_VM" ready || e2e_require_32bit
[ -n "${E2E_VM_JOBS:-}" ] || e2e_fail "E2E_VM_JOBS names no job folder"
e2e_vm_serve "$PPID"
