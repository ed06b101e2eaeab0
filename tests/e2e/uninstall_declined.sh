# The real uninstaller asks before it changes anything: answered No, it
# exits 0 and the machine is as it was.
# Usage: uninstall_declined.sh <win98|nt40>
. "$(dirname "$0")/lib.sh"

e2e_begin
e2e_prefix "$1"
e2e_install_product
e2e_snapshot "$E2E_WORK/before.txt"

e2e_drive 7 '"C:\Program Files\Vantrell\uninstal.exe"'
e2e_expect_transcript <<'EXPECTED'
box
title: Uninstall Quillon Vantrell?
text: Are you sure you want to remove Quillon Vantrell and all of its components?\n
buttons: 6 7
icon: question
answer: 7
exit: 0
EXPECTED

e2e_stop_wine
e2e_snapshot "$E2E_WORK/after.txt"
diff -u "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" || e2e_fail "the machine changed"
grep -q 'opengl32.dll' "$E2E_WORK/after.txt" || e2e_fail "snapshot misses the product's files"
grep -q 'InstallLocation' "$E2E_WORK/after.txt" || e2e_fail "snapshot misses the product's keys"
echo "PASS"
