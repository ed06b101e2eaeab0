#!/bin/sh
# The instruction check must pass code of the 80386 and its 80387 and stop
# each instruction a later processor brought, naming it and its address.
# Listings are written as objdump -d prints them.
# Usage: check_instructions_selftest.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
check="$here/check_instructions.sh"
failures=0
tab=$(printf '\t')

# A listing of 386/387 code as the compiler and objdump give it: sized and
# unsized forms, string instructions under prefixes, extensions, x87 memory
# forms, a long instruction continued on a second line, the elided zeros.
clean=$(cat <<EOF

uninstal.exe:     file format pei-i386


Disassembly of section .text:

00401000 <.text>:
  401000:${tab}55                   ${tab}push   %ebp
  401001:${tab}89 e5                ${tab}mov    %esp,%ebp
  401003:${tab}57                   ${tab}push   %edi
  401004:${tab}83 ec 2c             ${tab}sub    \$0x2c,%esp
  401007:${tab}c7 44 24 04 00 00 00 ${tab}movl   \$0x0,0x4(%esp)
  40100e:${tab}00 
  40100f:${tab}f3 ab                ${tab}rep stos %eax,%es:(%edi)
  401011:${tab}f3 a6                ${tab}repz cmpsb %es:(%edi),%ds:(%esi)
  401013:${tab}f0 ff 00             ${tab}lock incl (%eax)
  401016:${tab}0f b6 c0             ${tab}movzbl %al,%eax
  401019:${tab}0f bf c8             ${tab}movswl %ax,%ecx
  40101c:${tab}0f 95 c0             ${tab}setne  %al
  40101f:${tab}0f a4 c2 04          ${tab}shld   \$0x4,%eax,%edx
  401023:${tab}0f bc c1             ${tab}bsf    %ecx,%eax
  401026:${tab}0f a3 c8             ${tab}bt     %ecx,%eax
  401029:${tab}99                   ${tab}cltd
  40102a:${tab}d1 e0                ${tab}shl    %eax
  40102c:${tab}d9 05 00 20 40 00    ${tab}flds   0x402000
  401032:${tab}df 2d 08 20 40 00    ${tab}fildll 0x402008
  401038:${tab}df 3c 24             ${tab}fistpll (%esp)
  40103b:${tab}da e9                ${tab}fucompp
  40103d:${tab}df e0                ${tab}fnstsw %ax
  40103f:${tab}9e                   ${tab}sahf
  401040:${tab}d9 fe                ${tab}fsin
  401042:${tab}db 7c 24 10          ${tab}fstpt  0x10(%esp)
  401046:${tab}0f 87 10 00 00 00    ${tab}ja     0x40105c
  40104c:${tab}e3 02                ${tab}jecxz  0x401050
  40104e:${tab}ff 15 60 30 40 00    ${tab}call   *0x403060
  401054:${tab}c9                   ${tab}leave
  401055:${tab}c2 0c 00             ${tab}ret    \$0xc
  401058:${tab}90                   ${tab}nop
  401059:${tab}66 90                ${tab}xchg   %ax,%ax
  40105b:${tab}00 00                ${tab}add    %al,(%eax)
${tab}...
EOF
)

if output=$(printf '%s\n' "$clean" | sh "$check" --listing clean.exe 2>&1); then
    :
else
    echo "FAIL: 386 code refused:"
    printf '%s\n' "$output"
    failures=$((failures + 1))
fi

# Each line: bytes, then the instruction. Among them what compilers emit
# when tuned for later processors (cmov, fcomi, long nops, endbr32, SSE
# moves), the 486 and Pentium additions, and the MMX, 3DNow! and SSE sets.
while IFS='|' read -r bytes text; do
    [ -n "$bytes" ] || continue
    listing="  4012ab:${tab}${bytes}${tab}${text}"
    if output=$(printf '%s\n' "$listing" | sh "$check" --listing bad.exe 2>&1); then
        echo "FAIL: not reported: $text"
        failures=$((failures + 1))
        continue
    fi
    mnemonic=$(echo "$text" | awk '{ print $1 }')
    case "$output" in
    "FAIL: bad.exe: 4012ab: $mnemonic"*) ;;
    *)
        echo "FAIL: the report of '$text' does not name it and its address: $output"
        failures=$((failures + 1))
        ;;
    esac
done <<'EOF'
0f 46 c8|cmovbe %eax,%ecx
0f 44 d8|cmove  %eax,%ebx
0f 47 f1|cmova  %ecx,%esi
0f 4c c1|cmovl  %ecx,%eax
da c1|fcmovb %st(1),%st
db d1|fcmovnbe %st(1),%st
db f1|fcomi  %st(1),%st
df f1|fcomip %st(1),%st
db e9|fucomi %st(1),%st
df e9|fucomip %st(1),%st
f0 0f b1 0a|lock cmpxchg %ecx,(%edx)
0f b1 0a|cmpxchg %ecx,(%edx)
f0 0f c7 0e|lock cmpxchg8b (%esi)
f0 0f c1 02|lock xadd %eax,(%edx)
0f c8|bswap  %eax
0f 31|rdtsc
0f a2|cpuid
0f 33|rdpmc
0f 32|rdmsr
0f 30|wrmsr
0f aa|rsm
0f 08|invd
0f 09|wbinvd
0f 01 38|invlpg (%eax)
0f 34|sysenter
0f 35|sysexit
0f 05|syscall
0f 0b|ud2
0f 1f 00|nopl   (%eax)
66 0f 1f 44 00 00|nopw   0x0(%eax,%eax,1)
f3 0f 1e fb|endbr32
f3 90|pause
0f 38 f0 08|movbe  (%eax),%ecx
f3 0f b8 c8|popcnt %eax,%ecx
f3 0f bd c8|lzcnt  %eax,%ecx
f3 0f bc c8|tzcnt  %eax,%ecx
0f c7 f0|rdrand %eax
0f ae 00|fxsave (%eax)
0f ae 08|fxrstor (%eax)
0f 18 00|prefetchnta (%eax)
0f 0d 08|prefetchw (%eax)
0f 77|emms
0f 0e|femms
0f 6f c8|movq   %mm0,%mm1
0f 6e c0|movd   %eax,%mm0
66 0f fe c1|paddd  %xmm1,%xmm0
f3 0f 10 00|movss  (%eax),%xmm0
c5 fc 28 c8|vmovaps %ymm0,%ymm1
0f c3 00|movnti %eax,(%eax)
0f ae f8|sfence
0f ae e8|lfence
0f ae f0|mfence
0f ae 38|clflush (%eax)
0f ae 10|ldmxcsr (%eax)
df 0c 24|fisttps (%esp)
df c0|ffreep %st(0)
0f 01 d0|xgetbv
0f 20 e0|mov    %cr4,%eax
f2 e9 00 00 00 00|bnd jmp 0x4012b1
ff|(bad)
EOF

[ "$failures" -eq 0 ] || exit 1
echo PASS
