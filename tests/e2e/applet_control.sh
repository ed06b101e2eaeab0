# The real applet in Wine's own Control Panel host: with its settings in the
# registry, `wine control` starts the configuration program (a stand-in)
# with exactly the command line the settings give; then the applet's own
# host checks its answers, records and resources, with or without the
# sample localization library beside it.
# Usage: applet_control.sh <win98|nt40> <own|localized|planted>
#   planted: the configuration program lies under C:\Program Files\VANT\,
#   and another user's C:\Program.exe (a stand-in that records any start)
#   waits where the unquoted path would lead: it is never started.
. "$(dirname "$0")/lib.sh"

family=$1
case=$2

# The sample translation's texts are in code page 1252, the ANSI code page
# Wine gives the C locale.
export LC_ALL=C

e2e_begin
e2e_prefix "$family"

cp "$E2E_BUILD/VANTRELL.CPL" "$E2E_SYSTEM/VANTRELL.CPL"
if [ "$case" = localized ]; then
    cp "$E2E_BUILD/VANTRELL-LOC.DLL" "$E2E_SYSTEM/VANTRELL-LOC.DLL"
    # Without the trailing backslash here: the applet adds it.
    location='C:\\VANT'
else
    location='C:\\VANT\\'
fi
program_dir="$E2E_DRIVE_C/VANT"
expected='C:\VANT\VCONFIG.EXE -cpl'
host_case=$case
if [ "$case" = planted ]; then
    location='C:\\Program Files\\VANT\\'
    program_dir="$E2E_DRIVE_C/Program Files/VANT"
    expected='"C:\Program Files\VANT\VCONFIG.EXE" -cpl'
    cp "$E2E_BUILD/tests/e2e/planted.exe" "$E2E_DRIVE_C/Program.exe"
    host_case=own
fi
mkdir -p "$program_dir"
cp "$E2E_BUILD/tests/e2e/standin.exe" "$program_dir/VCONFIG.EXE"
cat >"$E2E_WORK/settings.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Quillon Software\\Vantrell]
"InstallLocation"="$location"
"FileName"="VCONFIG.EXE"
"Switch"="-cpl"
REG
e2e_wine regedit /S "$(e2e_winpath "$E2E_WORK/settings.reg")" || e2e_fail "regedit failed"

export STANDIN_LOG PLANTED_LOG
STANDIN_LOG=$(e2e_winpath "$E2E_WORK/standin.log")
PLANTED_LOG=$(e2e_winpath "$E2E_WORK/planted.log")
applet='C:\windows\system32\VANTRELL.CPL'

# The stand-in is not waited for by its starter: wait (bounded) for its line.
wait_for_start() {
    local i
    for i in $(seq 1 $((E2E_TIMEOUT * 10))); do
        [ -s "$E2E_WORK/standin.log" ] && return 0
        sleep 0.1
    done
    e2e_fail "the configuration program was not started"
}

# Wine's Control Panel host opens the applet named on its command line:
# one double-click, one start.
e2e_wine control "$applet" || e2e_fail "wine control failed"
wait_for_start
e2e_stop_wine
printf '%s\n' "$expected" | diff -u - "$E2E_WORK/standin.log" || e2e_fail "wrong command line"

rm -f "$E2E_WORK/standin.log"
status=0
timeout "$E2E_TIMEOUT" wine "$E2E_BUILD/tests/e2e/cplhost.exe" "$applet" "$host_case" \
    >"$E2E_WORK/cplhost.out" 2>>"$E2E_WORK/wine.err" || status=$?
tr -d '\r' <"$E2E_WORK/cplhost.out" >"$E2E_WORK/cplhost.txt"
cat "$E2E_WORK/cplhost.txt"
[ "$status" -eq 0 ] || e2e_fail "the applet's host found faults (status $status)"
grep -qx '0 failed' "$E2E_WORK/cplhost.txt" || e2e_fail "the applet's host did not finish"
wait_for_start
e2e_stop_wine
printf '%s\n' "$expected" | diff -u - "$E2E_WORK/standin.log" || e2e_fail "wrong command line from CPL_DBLCLK"
[ ! -e "$E2E_WORK/planted.log" ] || e2e_fail "C:\\Program.exe was started: $(cat "$E2E_WORK/planted.log")"
echo "PASS"
