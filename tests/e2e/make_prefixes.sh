# Inside the virtual machine (tools/wine-vm): the pristine prefix of each
# family on the disk mounted at /run/disk, for the scenarios to use in place.
. "$(dirname "$0")/lib.sh"
[ -n "${WINE_VM_GUEST:-}" ] && mountpoint -q /run/disk || e2e_fail "run this inside the virtual machine, with its disk"
E2E_WORK=/tmp/make-prefixes
mkdir -p "$E2E_WORK" "$E2E_CACHE"
trap e2e_cleanup EXIT
e2e_start_display
for family in win98 nt40; do
    e2e_make_pristine "$family" "/run/disk/pristine-$family"
    echo "prefix $family ready"
done
