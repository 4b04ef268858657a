#!/usr/bin/python3
"""prove_routing.py against small dispatchers assembled here (x86-64, SysV): one that
routes right, and one fault of each class planted in it, each of which must fail with
its counterexample or its reason.

    prove_routing_test.py ASSEMBLER    (clang, whose integrated assembler is used)
"""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from prove_routing import Dispatcher, Fault, Image, Prover, Unreadable, read_table  # noqa: E402

TABLE = """DISPATCHER(XSUB, 2, 1, xxxSUB)
ROUTE(XSUB, 1, X1)
ROUTE(XSUB, 2, X2)
"""

# XSUB(par, w2): PAR(1) converted as the library's general path converts it, 1 to X1 and
# 2 to X2 by tail jumps through their cells, any other number to the report.
DISPATCHER = """
.intel_syntax noprefix
.text
xsub:
    mov    rax, qword ptr [rdi]      # PAR(1)'s bits
    mov    rcx, rax
    shr    rcx, 52
    and    ecx, 2047                 # the biased exponent
    cmp    ecx, 1023
    jb     .Lsmall                   # |x| < 1
    cmp    ecx, 1054
    ja     .Linvalid                 # |x| >= 2^32, an infinity, a NaN
    movabs rdx, 0xfffffffffffff
    and    rdx, rax
    movabs r8, 0x10000000000000
    or     rdx, r8                   # the significand
    neg    ecx
    add    ecx, 1075                 # its shift: 21 .. 52
    mov    r8, rdx
    shr    r8, cl                    # the magnitude
    mov    r9, r8
    shl    r9, cl
    cmp    r9, rdx
    setne  r10b                      # a fraction dropped
    mov    r11d, 0x7fffffff
    test   rax, rax
    jns    .Lpositive
    inc    r11                       # 2^31 for a negative value
.Lpositive:
    cmp    r8, r11
    ja     .Linvalid
    test   rax, rax
    jns    .Lsigned
    neg    r8
.Lsigned:
    test   r10b, r10b
    je     .Lroute
    push   rdi
    push   rsi
    push   r8
    mov    edi, 0x20                 # inexact
    call   raise
    pop    r8
    pop    rsi
    pop    rdi
.Lroute:
    cmp    r8d, 1
    jne    .Ltwo
    jmp    qword ptr [rip + cell_x1]
.Ltwo:
    cmp    r8d, 2
    jne    .Lreport
    jmp    qword ptr [rip + cell_x2]
.Lsmall:
    shl    rax, 1
    je     .Lzero                    # a zero is exact
    push   rdi
    mov    edi, 0x20
    call   raise
    pop    rdi
.Lzero:
    xor    r8d, r8d
    jmp    .Lreport
.Linvalid:
    mov    edi, 1                    # invalid
    call   raise
    mov    r8d, 0x80000000
.Lreport:
    mov    edx, r8d
    lea    rsi, [rip + text]
    mov    edi, 55
    jmp    report
raise:
    ret
report:
    ret
cell_x1:
    .quad 0
cell_x2:
    .quad 0
text:
    .ascii "Error in dispatcher subroutine xxxSUB: Invalid PAR(1): "
"""

# Each fault class once: (what, the line replaced, its replacement, what the failure says).
FAULTS = [
    ("wrong route", "jmp    qword ptr [rip + cell_x2]", "jmp    qword ptr [rip + cell_x1]",
     "reaches X1 for another routine number"),
    ("words changed", ".Ltwo:\n", ".Ltwo:\n    mov rsi, rdi\n", "the words reach X2 changed"),
    ("report of another number", "mov    edx, r8d", "mov    edx, 7",
     "reports another number than the routine number"),
    ("route reported", "jne    .Ltwo\n", "jne    .Lreport\n",
     "reaches the report for a routine number of its table"),
    ("inexact missing", "je     .Lzero", "jmp    .Lzero", "raises inexact where it is not due"),
    ("store through a word", "xsub:\n", "xsub:\n    mov qword ptr [rsi + 8], rax\n",
     "through argument word 2"),
    ("unmodelled instruction", "xsub:\n", "xsub:\n    bswap rax\n",
     "instruction not modelled: bswap rax at 0x0"),
    ("loop", ".Lzero:\n", ".Lzero:\n    mov ecx, 3\n.Lspin:\n    dec ecx\n    jne .Lspin\n",
     "a loop at"),
]


def assembled(assembler, source, work):
    """The synthetic library: the code's bytes at address 0, its labels as names."""
    from elftools.elf.elffile import ELFFile

    with open(os.path.join(work, "x.s"), "w", encoding="ascii") as out:
        out.write(source)
    subprocess.run([assembler, "-c", "--target=x86_64-linux-gnu", "-o",
                    os.path.join(work, "x.o"), os.path.join(work, "x.s")], check=True)
    with open(os.path.join(work, "x.o"), "rb") as f:
        elf = ELFFile(f)
        code = elf.get_section_by_name(".text").data()
        labels = {s.name: s["st_value"] for s in elf.get_section_by_name(".symtab").iter_symbols()}
    image = Image.__new__(Image)
    image.bits, image.format, image.segments, image.markers = 64, "elf", [(0, code, True)], {}
    image.exports = {"XSUB": labels["xsub"]}
    image.names = {labels["raise"]: "raise_masked_fp_exceptions",
                   labels["report"]: "report_invalid_routine"}
    image.words = {labels["cell_x1"]: ("import", "X1"), labels["cell_x2"]: ("import", "X2")}
    return image


class SyntheticDispatchers(unittest.TestCase):
    def prove(self, source):
        with tempfile.TemporaryDirectory() as work:
            table = os.path.join(work, "t.table")
            with open(table, "w", encoding="ascii") as out:
                out.write(TABLE)
            image = assembled(ASSEMBLER, source, work)
            entry = read_table(table).of_kind("DISPATCHER")[0]
            return Prover(image, Dispatcher(entry, image)).run()

    def test_right_routing_is_proven(self):
        paths = self.prove(DISPATCHER)
        reached = {outcome if isinstance(outcome, str) else "report" for _, _, outcome in paths}
        self.assertEqual(reached, {"X1", "X2", "report"})

    def test_each_fault_fails(self):
        for what, line, replacement, said in FAULTS:
            with self.subTest(what):
                self.assertIn(line, DISPATCHER)
                with self.assertRaises((Fault, Unreadable)) as failure:
                    self.prove(DISPATCHER.replace(line, replacement, 1))
                self.assertIn(said, str(failure.exception))
                if isinstance(failure.exception, Fault):
                    self.assertIn("PAR(1) bits", str(failure.exception))


if __name__ == "__main__":
    ASSEMBLER = sys.argv.pop(1)
    unittest.main()
