#!/bin/sh
# Checks that the deliverables hold only instructions of the 80386 and its
# 80387: Windows 95 runs on a 386, and a 486, Pentium, Pentium MMX, K6 or
# Cyrix 6x86 lacks one or another later instruction (cmov, cmpxchg8b,
# fcomi, ...); the first one executed ends the program with an
# invalid-opcode fault. The disassembly is checked against the list of what
# those two processors have, so an instruction nobody thought of is caught
# as well; the instructions that compilers do emit for later processors are
# named in the self-test (check_instructions_selftest.sh).
#
# Usage: check_instructions.sh <win32 build directory>
#        check_instructions.sh --listing <name>   (an objdump -d listing on
#                                                  standard input)
# Prints "FAIL: <name>: <address>: <instruction> (<why>)" for each one found.
set -eu
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# The filter over an objdump -d listing (AT&T syntax). Exit status 1 when
# it found anything.
filter() {
    awk -v name="$1" '
    BEGIN {
        # 80386 instructions an application may hold, as objdump spells
        # them; each may carry an operand size suffix (b, w, l).
        n = split("aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts " \
            "call lcall clc cld cli clts cmc cmp cmps daa das dec div enter hlt " \
            "idiv imul in inc ins int int3 into iret jmp ljmp lahf lar lds lea " \
            "leave les lfs lgdt lgs lidt lldt lmsw lods loop loope loopne loopz " \
            "loopnz lsl lss ltr mov movs mul neg not or out outs pop popa popf " \
            "push pusha pushf rcl rcr ret lret rol ror sahf sal sar sbb scas " \
            "sgdt shl shld shr shrd sidt sldt smsw stc std sti stos str sub test " \
            "verr verw xchg xlat xor", w, " ")
        for (i = 1; i <= n; i++) sized[w[i]] = 1
        # Conditional jumps and sets: every condition the 386 knows.
        n = split("a ae b be c e g ge l le na nae nb nbe nc ne ng nge nl nle " \
            "no np ns nz o p pe po s z", w, " ")
        for (i = 1; i <= n; i++) { exact["j" w[i]] = 1; sized["set" w[i]] = 1 }
        # Exact spellings: sign and zero extensions, the conversions, the
        # jumps on (e)cx, wait. nop is 0x90 only: the long nop (0f 1f,
        # nopl/nopw) came with the Pentium Pro.
        n = split("movsbw movsbl movswl movzbw movzbl movzwl movsx movzx " \
            "cbtw cwtl cwtd cltd jcxz jecxz nop wait fwait", w, " ")
        for (i = 1; i <= n; i++) exact[w[i]] = 1
        # The 80387 (fucom*, fsin, fcos, fsincos and fprem1 are its own,
        # beyond the 8087); each may carry a memory operand suffix.
        n = split("fld fst fstp fild fist fistp fbld fbstp fxch fcom fcomp fcompp " \
            "fucom fucomp fucompp ficom ficomp ftst fxam fadd faddp fiadd fsub fsubp " \
            "fisub fsubr fsubrp fisubr fmul fmulp fimul fdiv fdivp fidiv fdivr " \
            "fdivrp fidivr fabs fchs fsqrt fscale fprem fprem1 frndint fxtract " \
            "f2xm1 fyl2x fyl2xp1 fptan fpatan fsin fcos fsincos fld1 fldz fldpi " \
            "fldl2e fldl2t fldlg2 fldln2 fldcw fnstcw fstcw fnstsw fstsw fnclex " \
            "fclex fninit finit fnstenv fstenv fldenv fnsave fsave frstor fincstp " \
            "fdecstp ffree fnop", w, " ")
        for (i = 1; i <= n; i++) x87[w[i]] = 1
        # Prefixes of the 386; anything else in front is looked at as an
        # instruction of its own (and so fails).
        n = split("lock rep repz repnz repe repne data16 data32 addr16 addr32 " \
            "cs ds es fs gs ss", w, " ")
        for (i = 1; i <= n; i++) prefix[w[i]] = 1
        found = 0
    }
    function known(m,   base) {
        if (m in exact || m in sized || m in x87) return 1
        base = substr(m, 1, length(m) - 1)
        if (m ~ /[bwl]$/ && base in sized) return 1
        if (m ~ /[slt]$/ && base in x87) return 1
        base = substr(m, 1, length(m) - 2)
        if (m ~ /ll$/ && base in x87) return 1
        return 0
    }
    function report(address, text, why) {
        printf "FAIL: %s: %s: %s (%s)\n", name, address, text, why
        found++
    }
    # Instruction lines: "  401000:<TAB>bytes<TAB>text". A line with the
    # bytes alone continues the instruction above.
    /^ *[0-9a-f]+:\t/ {
        if (split($0, f, "\t") < 3) next
        address = f[1]; sub(/^ */, "", address); sub(/:$/, "", address)
        text = f[3]; gsub(/[ \t]+/, " ", text); sub(/ $/, "", text)
        if (text ~ /^(\(bad\)|\.byte)/) { report(address, text, "not an instruction"); next }
        nw = split(text, word, " ")
        for (i = 1; i <= nw && (word[i] in prefix); i++) ;
        if (i > nw) { report(address, text, "a prefix without an instruction"); next }
        m = word[i]
        if (!known(m)) { report(address, text, m " is not an 80386/80387 instruction"); next }
        if (text ~ /%mm[0-9]/) report(address, text, "MMX register")
        else if (text ~ /%[xyz]mm[0-9]/) report(address, text, "SSE/AVX register")
        else if (text ~ /%(k[0-7]|bnd[0-3]|tmm[0-7])([^0-9]|$)/) report(address, text, "register of a later processor")
        else if (text ~ /%cr[48]/) report(address, text, "control register of a later processor")
    }
    END { exit found ? 1 : 0 }'
}

if [ "${1:-}" = --listing ]; then
    filter "$2"
    exit
fi

build=$1
failures=0
for file in uninstal.exe VANTRELL.CPL VANTRELL-LOC.DLL; do
    path="$build/$file"
    [ -f "$path" ] || { echo "FAIL: $file missing"; failures=$((failures + 1)); continue; }
    # Every section holding code. The linker ends .text with the
    # constructor and destructor lists (-1, the entries, 0, twice): data,
    # not code. The deliverables have no static constructors, so each list
    # is empty; the check stops before them, and first makes sure that is
    # what the last 16 bytes hold.
    sections=$($objdump -h "$path" | awk '
        /^ *[0-9]+ / { name = $2; size = $3; vma = $4; next }
        /CODE/ && name != "" { print name, size, vma; name = "" }')
    [ -n "$sections" ] || { echo "FAIL: $file: no code section found"; failures=$((failures + 1)); continue; }
    count=0
    while read -r section size vma; do
        stop=$(printf '0x%x' $((0x$vma + 0x$size)))
        if [ "$section" = .text ]; then
            stop=$(printf '0x%x' $((0x$vma + 0x$size - 16)))
            tail=$($objdump -s -j .text --start-address="$stop" "$path" |
                awk '/^ [0-9a-f]+ / { print $2 $3 $4 $5 }' | tr -d '\n')
            if [ "$tail" != ffffffff00000000ffffffff00000000 ]; then
                echo "FAIL: $file: .text does not end with empty constructor and destructor lists ($tail)"
                failures=$((failures + 1))
            fi
        fi
        listing=$($objdump -d -j "$section" --stop-address="$stop" "$path")
        count=$((count + $(printf '%s\n' "$listing" | grep -Ec '^ *[0-9a-f]+:	[^	]*	')))
        printf '%s\n' "$listing" | filter "$file" || failures=$((failures + 1))
    done <<EOF
$sections
EOF
    echo "$file: $count instructions checked"
done
[ "$failures" -eq 0 ] || exit 1
echo PASS
