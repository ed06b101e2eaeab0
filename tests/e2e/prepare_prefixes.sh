# The pristine prefix of each family, made once per build directory before
# the scenarios: natively in the build's e2e cache, or, where Wine runs in
# the virtual machine (tools/wine-vm), on the disk image its scenarios use.
E2E_STAY_ON_HOST=1
. "$(dirname "$0")/lib.sh"
if "$E2E_VM" needed; then
    "$E2E_VM" ready || e2e_require_32bit
    e2e_vm_disk
    echo "pristine prefixes ready on $E2E_VM_DISK"
    exit 0
fi
e2e_begin
for family in win98 nt40; do
    e2e_pristine_ready "$family"
    echo "pristine prefix $family ready"
done
