# The pristine prefix of each family, made once per build directory before
# the scenarios: natively in the build's e2e cache, or, where Wine runs in
# the virtual machine (tools/wine-vm), on the disk image its scenarios use:
# by the machine this ctest run started (tests/e2e/vm_start.sh), or else by
# a machine of its own.
E2E_STAY_ON_HOST=1
. "$(dirname "$0")/lib.sh"
if "$E2E_VM" needed; then
    "$E2E_VM" ready || e2e_require_32bit
    if [ -f "$E2E_VM_DISK.ready" ]; then
        echo "pristine prefixes ready on $E2E_VM_DISK"
        exit 0
    fi
    if [ -n "${E2E_VM_JOBS:-}" ] && "$E2E_VM" alive "$E2E_VM_JOBS"; then
        "$E2E_VM" submit "$E2E_VM_JOBS" --timeout 850 --writable-disk \
            bash "$E2E_ROOT/tests/e2e/make_prefixes.sh" || e2e_fail "making the pristine prefixes failed"
        touch "$E2E_VM_DISK.ready"
    else
        e2e_vm_disk
    fi
    echo "pristine prefixes ready on $E2E_VM_DISK"
    exit 0
fi
e2e_begin
for family in win98 nt40; do
    e2e_pristine_ready "$family"
    echo "pristine prefix $family ready"
done
