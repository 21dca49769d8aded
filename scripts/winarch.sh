#!/usr/bin/env bash
# Prints the Windows architecture whose programs Wine can run on this machine: i686 where the
# kernel runs 32-bit x86 Linux programs, as Debian's Wine needs for 32-bit Windows programs,
# and x86_64 where it does not (a kernel without IA-32 emulation).
set -euo pipefail
elf=$(mktemp)
trap 'rm -f "$elf"' EXIT
# The smallest 32-bit x86 Linux program: the ELF header, one loadable segment at 0x08048000,
# then xor ebx,ebx; xor eax,eax; inc eax; int 0x80 (exit(0)).
hex=7f454c460101010000000000000000000200030001000000548004083400000000000000000000003400200001000000
hex+=0000000001000000000000000080040800800408
hex+=5b0000005b0000000500000000100000
hex+=31db31c040cd80
for ((i = 0; i < ${#hex}; i += 2)); do printf "\\x${hex:i:2}"; done >"$elf"
chmod +x "$elf"
if "$elf" 2>/dev/null; then echo i686; else echo x86_64; fi
