# Inside the virtual machine (tools/wine-vm): the pristine prefix of each
# family on the disk mounted at /run/disk, for the scenarios to use (under a
# throwaway layer). wineboot makes the first; the second is its copy with
# the other family's version.
. "$(dirname "$0")/lib.sh"
[ -n "${WINE_VM_GUEST:-}" ] && mountpoint -q /run/disk || e2e_fail "run this inside the virtual machine, with its disk"
E2E_WORK=/tmp/make-prefixes
mkdir -p "$E2E_WORK" "$E2E_CACHE"
trap e2e_cleanup EXIT
e2e_start_display
# Under emulation on a busy machine wineboot has taken over 5 minutes.
E2E_WINEBOOT_TIMEOUT=600 E2E_SETUP_TIMEOUT=180
e2e_make_pristine win98 /run/disk/pristine-win98
echo "prefix win98 ready"
e2e_derive_pristine /run/disk/pristine-win98 nt40 /run/disk/pristine-nt40
echo "prefix nt40 ready"
sync
