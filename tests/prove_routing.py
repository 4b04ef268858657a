#!/usr/bin/python3
"""Proves the routing of a built library against a contract table, for every bit pattern
of PAR(1): each dispatcher's machine code is executed symbolically (capstone decodes,
z3 decides), from its export to every end of every path.

    prove_routing.py --table TABLE LIBRARY [limits] [--replay HOST [--emulator WRAPPER]]

LIBRARY is the i686 DLL (its PDB beside it, or in the symbol store --symbols), an i686 or an x86-64 ELF shared object (its
symbols in it or in NAME.debug beside it). For each DISPATCHER of TABLE, over all 2^64
patterns of PAR(1) and all values of the argument words, registers and flags:

  1. the element routine reached is the table's route for the routine number (the double
     truncated toward zero to 32 bits, INT32_MIN for a NaN, an infinity or a value out of
     range, stated in the solver's floating-point theory);
  2. the words reach it unchanged: at a tail jump the stack pointer, the argument words
     and the registers the callee must keep as at entry; at a call the caller's words in
     order, and the return pops what the convention says;
  3. every other pattern reaches the fatal report with its number, and no routine;
  4. inexact is raised exactly when a fraction is dropped from a number that converts,
     invalid exactly when there is no number;
  5. nothing is stored through an argument word.

A counterexample prints the PAR(1) pattern, its value, what was reached and what was due,
and the path's addresses. An instruction that is not modelled, a loop or a computed jump
with too many targets ends the run with its address: nothing is passed unread.

Per dispatcher it prints its paths and, per route, the instructions of its shortest path
(the fast path) with their stack stores, held to the limits given. With --replay, each
path's witness is played through `gyrix-host run` on the library itself (once, one
session), and the routine or report each call reaches must be the one predicted.
Exit status 0 when everything is proven, 1 on a fault.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import time

import capstone
import z3
from capstone import x86 as X

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "subs_solver", "contract"))
from generate_contract import INVALID_TEXT, exported_name, read_table  # noqa: E402

sys.path.insert(0, os.path.join(HERE, "..", "bench"))
from check_counts import form_row, read_limits  # noqa: E402  (the limits' one reader)

INEXACT, INVALID = 0x20, 0x01  # the flag raise's argument bits (fp_control.h)
INT32_MIN = -(1 << 31)
MAX_TARGETS = 256  # values of one computed address a path may split over
MAX_STEPS = 4000  # instructions on one path
STACK_TOP = {32: 0x70000000, 64: 0x7FFF00000000}
MARKER_BASE = {32: 0xFE000000, 64: 0xFFFF800000000000}
WORD_REGISTERS_64 = ("rdi", "rsi", "rdx", "rcx", "r8", "r9")
CALLEE_SAVED = {32: ("ebx", "esi", "edi", "ebp"), 64: ("rbx", "rbp", "r12", "r13", "r14", "r15")}
CALLER_SAVED = {32: ("eax", "ecx", "edx"),
                64: ("rax", "rcx", "rdx", "rsi", "rdi", "r8", "r9", "r10", "r11")}
HELPERS = ("report_invalid_routine", "raise_masked_fp_exceptions")


class Unreadable(Exception):
    """Machine code the prover does not follow: the run fails, naming it."""


class Fault(Exception):
    """A property that does not hold."""


# --- The library file ----------------------------------------------------------------------

class Image:
    """The bytes of a library as linked, its exports, its import cells (a word whose value
    is an imported routine's address: marked), and the names of its own routines."""

    def __init__(self, path, llvm, symbols=None):
        self.llvm = llvm
        self.symbols = symbols
        with open(path, "rb") as f:
            magic = f.read(4)
        self.segments = []  # (address, bytes, executable)
        self.exports, self.names, self.words = {}, {}, {}
        if magic[:2] == b"MZ":
            self._read_pe(path)
        elif magic == b"\x7fELF":
            self._read_elf(path)
        else:
            raise Unreadable(f"{path}: neither PE nor ELF")
        self.markers = {}

    def marker(self, name):
        """The stand-in address of imported routine `name`."""
        if name not in self.markers:
            self.markers[name] = MARKER_BASE[self.bits] + 0x10 * len(self.markers)
        return self.markers[name]

    def imported(self, address):
        for name, marker in self.markers.items():
            if marker == address:
                return name
        return None

    def _read_pe(self, path):
        import pefile  # Debian's python3-pefile
        from check_library_build import pdb_procedures  # the PDB's one reader

        pe = pefile.PE(path)
        if pe.FILE_HEADER.Machine != 0x14C:
            raise Unreadable(f"{path}: not an i686 DLL")
        self.bits, self.format = 32, "pe"
        base = pe.OPTIONAL_HEADER.ImageBase
        for section in pe.sections:
            self.segments.append((base + section.VirtualAddress,
                                  section.get_data()[:section.Misc_VirtualSize],
                                  bool(section.Characteristics & 0x20000000)))
        for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols:
            if symbol.name:
                self.exports[symbol.name.decode()] = base + symbol.address
        for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            for imported in entry.imports:
                name = imported.name.decode() if imported.name else f"#{imported.ordinal}"
                self.words[imported.address] = ("import", name)
        pdb = os.path.join(os.path.dirname(path), "gyrix_solver.pdb")
        if self.symbols:  # a symbol store: the PDB under the DLL's own key
            sys.path.insert(0, os.path.join(HERE, "..", "cmake"))
            from symbol_store import store_keys  # the store's one key reader

            name, key, _ = store_keys(path)
            pdb = os.path.join(self.symbols, name, key, name)
        if not os.path.isfile(pdb):
            raise Unreadable(f"no PDB at {pdb} for {path}: its routines cannot be named")
        text = base + pe.sections[0].VirtualAddress
        for name, (offset, _) in pdb_procedures(self.llvm, pdb).items():
            self.names.setdefault(text + offset, name)

    def _read_elf(self, path):
        from elftools.elf.elffile import ELFFile  # Debian's python3-pyelftools
        from elftools.elf.relocation import RelocationSection

        with open(path, "rb") as f:
            elf = ELFFile(f)
            machine = elf["e_machine"]
            if machine not in ("EM_386", "EM_X86_64"):
                raise Unreadable(f"{path}: not an x86 shared object ({machine})")
            self.bits, self.format = (32 if machine == "EM_386" else 64), "elf"
            for segment in elf.iter_segments():
                if segment["p_type"] == "PT_LOAD":
                    data = segment.data().ljust(segment["p_memsz"], b"\0")
                    self.segments.append((segment["p_vaddr"], data, bool(segment["p_flags"] & 1)))
            dynsym = elf.get_section_by_name(".dynsym")
            for symbol in dynsym.iter_symbols():
                if symbol["st_shndx"] != "SHN_UNDEF" and symbol["st_info"]["type"] == "STT_FUNC":
                    self.exports[symbol.name] = symbol["st_value"]
            for section in elf.iter_sections():
                if not isinstance(section, RelocationSection):
                    continue
                symbols = elf.get_section(section["sh_link"])
                for reloc in section.iter_relocations():
                    kind = reloc["r_info_type"]
                    where = reloc["r_offset"]
                    if kind in (8, 37) if self.bits == 64 else kind == 8:  # RELATIVE, IRELATIVE
                        addend = reloc["r_addend"] if reloc.is_RELA() else self.read(where, 4)
                        self.words[where] = ("value", addend)
                    else:
                        symbol = symbols.get_symbol(reloc["r_info_sym"])
                        if symbol["st_shndx"] == "SHN_UNDEF":
                            self.words[where] = ("import", symbol.name)
                        else:
                            self.words[where] = ("value", symbol["st_value"])
        for source in (path, path + ".debug"):
            if not os.path.exists(source):
                continue
            with open(source, "rb") as f:
                symtab = ELFFile(f).get_section_by_name(".symtab")
                for symbol in symtab.iter_symbols() if symtab else ():
                    if symbol["st_info"]["type"] == "STT_FUNC" and symbol["st_value"]:
                        self.names.setdefault(symbol["st_value"], symbol.name)
        if not self.names:
            raise Unreadable(f"no symbols in {path} nor in {path}.debug")

    def read(self, address, size):
        for start, data, _ in self.segments:
            if start <= address and address + size <= start + len(data):
                return int.from_bytes(data[address - start:address - start + size], "little")
        return None

    def code(self, address, size=16):
        for start, data, executable in self.segments:
            if executable and start <= address < start + len(data):
                return data[address - start:address - start + size]
        return None

    def helper_at(self, address):
        name = self.names.get(address, "")
        return next((helper for helper in HELPERS if helper in name), None)


# --- Symbolic machine ------------------------------------------------------------------------

def register_table(bits):
    """capstone's register name -> (the full register, lowest bit, width)."""
    table = {}
    full = (lambda name: "r" + name) if bits == 64 else (lambda name: "e" + name)
    for x in "abcd":
        table[full(x + "x")] = (full(x + "x"), 0, bits)
        table["e" + x + "x"] = (full(x + "x"), 0, 32)
        table[x + "x"] = (full(x + "x"), 0, 16)
        table[x + "l"] = (full(x + "x"), 0, 8)
        table[x + "h"] = (full(x + "x"), 8, 8)
    for x in ("si", "di", "bp", "sp"):
        table[full(x)] = (full(x), 0, bits)
        table["e" + x] = (full(x), 0, 32)
        table[x] = (full(x), 0, 16)
        table[x + "l"] = (full(x), 0, 8)
    if bits == 64:
        for n in range(8, 16):
            table[f"r{n}"] = (f"r{n}", 0, 64)
            table[f"r{n}d"] = (f"r{n}", 0, 32)
            table[f"r{n}w"] = (f"r{n}", 0, 16)
            table[f"r{n}b"] = (f"r{n}", 0, 8)
    return table


class State:
    """One path: registers, flags, the stack's written bytes, what it met."""

    def __init__(self):
        self.regs, self.flags, self.stack = {}, {}, {}
        self.condition, self.trace, self.raises = [], [], []
        self.stack_stores = 0
        self.routine = None  # (name, tail jump or call)
        self.report = None  # the reported number
        self.seen = set()
        self.pc = None  # an address, a z3 value, or ("branch", taken, target, following)
        self.model = None  # one model of the condition

    def require(self, condition, model=None):
        """Adds `condition`, which `model` (of the whole) satisfies if given."""
        self.condition.append(condition)
        if model is None and self.model is not None and z3.is_true(
                self.model.eval(condition, model_completion=True)):
            model = self.model
        self.model = model if model is not None else holds(self.condition)

    def fork(self):
        other = State()
        other.regs, other.flags, other.stack = dict(self.regs), dict(self.flags), dict(self.stack)
        other.condition, other.trace = list(self.condition), list(self.trace)
        other.raises = list(self.raises)
        other.stack_stores, other.routine, other.report = (self.stack_stores, self.routine,
                                                          self.report)
        other.seen, other.pc, other.model = set(self.seen), self.pc, self.model
        return other


def holds(condition, *more):
    """A model where all of them hold, or None."""
    solver = z3.SolverFor("QF_FPBV")
    solver.add(*condition, *more)
    return solver.model() if solver.check() == z3.sat else None


def only_value(state, expression):
    """The one value `expression` takes on this path, or None."""
    expression = z3.simplify(expression)
    if z3.is_bv_value(expression):
        return expression.as_long()
    value = state.model.eval(expression, model_completion=True)
    if holds(state.condition, expression != value) is None:
        return value.as_long()
    return None


def all_values(state, expression, where):
    """Every value of `expression` on this path, each with a model."""
    values, blocked = [], []
    while True:
        model = holds(state.condition, *blocked)
        if model is None:
            return values
        value = model.eval(expression, model_completion=True)
        values.append((value.as_long(), model))
        if len(values) > MAX_TARGETS:
            raise Unreadable(f"a computed address with more than {MAX_TARGETS} values at {where:#x}")
        blocked.append(expression != value)


class Split(Exception):
    """The instruction's address takes several values: the path forks over them."""

    def __init__(self, expression, values):
        super().__init__()
        self.expression, self.values = expression, values


class Machine:
    def __init__(self, image, dispatcher):
        self.image, self.bits = image, image.bits
        self.word = self.bits // 8
        self.registers = register_table(self.bits)
        self.disassembler = capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_32
                                        if self.bits == 32 else capstone.CS_MODE_64)
        self.disassembler.detail = True
        self.decoded = {}
        self.dispatcher = dispatcher
        self.par = z3.BitVec("PAR1", 64)
        self.top = STACK_TOP[self.bits]
        self.ret = z3.BitVec("return_address", self.bits)
        self.words = [z3.BitVec(f"word{i}", self.bits) for i in range(1, dispatcher.words + 1)]
        self.par_word = self.words[dispatcher.par_word - 1]
        self.initial = {}
        self.caller_bytes = {}

    # -- the initial state: the convention's --

    def start(self, address):
        state = State()
        for name in {full for full, _, _ in self.registers.values()}:
            state.regs[name] = self.initial.setdefault(name,
                                                       z3.BitVec(name + "_at_entry", self.bits))
        sp = "esp" if self.bits == 32 else "rsp"
        state.regs[sp] = z3.BitVecVal(self.top, self.bits)
        if self.bits == 64:
            for register, word in zip(WORD_REGISTERS_64, self.words):
                state.regs[register] = word
        for flag in "CZSOP":
            state.flags[flag] = z3.Bool(flag + "F_at_entry")
        state.pc = address
        return state

    def stack_words(self):
        """The words above the return address, as the convention places them."""
        return self.words if self.bits == 32 else self.words[len(WORD_REGISTERS_64):]

    def initial_byte(self, address):
        offset = address - self.top
        if 0 <= offset < self.word:
            return z3.Extract(8 * offset + 7, 8 * offset, self.ret)
        index, within = divmod(offset - self.word, self.word)
        stacked = self.stack_words()
        if offset >= self.word and index < len(stacked):
            return z3.Extract(8 * within + 7, 8 * within, stacked[index])
        if address not in self.caller_bytes:
            self.caller_bytes[address] = z3.BitVec(f"stack_{address:x}", 8)
        return self.caller_bytes[address]

    # -- registers, memory --

    def get_reg(self, state, name):
        full, low, width = self.registers[name]
        value = state.regs[full]
        return value if width == value.size() else z3.Extract(low + width - 1, low, value)

    def set_reg(self, state, name, value):
        full, low, width = self.registers[name]
        size = self.bits
        if width == size:
            state.regs[full] = value
        elif width == 32:  # a 32-bit write clears the upper half
            state.regs[full] = z3.ZeroExt(32, value)
        else:
            old = state.regs[full]
            parts = []
            if low + width < size:
                parts.append(z3.Extract(size - 1, low + width, old))
            parts.append(value)
            if low:
                parts.append(z3.Extract(low - 1, 0, old))
            state.regs[full] = z3.Concat(*parts) if len(parts) > 1 else parts[0]

    def address(self, state, insn, mem):
        if mem.segment != 0:
            raise Unreadable(f"a segment override: {self.text(insn)}")
        total = z3.BitVecVal(mem.disp & ((1 << self.bits) - 1), self.bits)
        if mem.base != 0:
            base = insn.reg_name(mem.base)
            if base in ("rip", "eip"):
                total = total + (insn.address + insn.size)
            else:
                total = total + self.get_reg(state, base)
        if mem.index != 0:
            total = total + self.get_reg(state, insn.reg_name(mem.index)) * mem.scale
        return z3.simplify(total)

    def place(self, state, address, size, where):
        """Where the `size` bytes at `address` lie: ("stack"|"image", a) or ("par", offset)."""
        offset = z3.simplify(address - self.par_word)
        if z3.is_bv_value(offset):
            return "par", offset.as_long()
        word = self.word_in(address)
        if word is not None:
            raise Fault(f"reads {size} bytes through argument word {word} ({address}) at "
                        f"{where:#x}, not PAR(1)")
        value = only_value(state, address)
        if value is None:
            raise Split(address, all_values(state, address, where))
        return ("stack" if self.on_stack(value) else "image"), value

    def word_in(self, address):
        """The first argument word that `address` is computed from, or None."""
        variables = {v.get_id() for v in z3_variables(address)}
        return next((index for index, word in enumerate(self.words, 1)
                     if word.get_id() in variables), None)

    def on_stack(self, address):
        return self.top - 0x100000 <= address < self.top + 0x10000

    def load(self, state, address, size, where):
        try:
            kind, at = self.place(state, address, size, where)
        except Split as split:
            # An indexed read of the library's constant data: one case per address the
            # path allows, the value chosen among them (the path forks where the value
            # decides: a branch, a jump).
            if any(self.on_stack(value) for value, _ in split.values):
                raise
            cases = None
            for value, _ in split.values:
                data = self.load_image(value, size)
                cases = data if cases is None else z3.If(address == value, data, cases)
            return cases
        if kind == "par":
            if at < 0 or at + size > 8:
                raise Fault(f"reads {size} bytes at PAR(1)+{at}, beyond the double")
            return z3.Extract(8 * (at + size) - 1, 8 * at, self.par)
        if kind == "stack":
            pieces = [state.stack.get(at + i) if at + i in state.stack else self.initial_byte(at + i)
                      for i in range(size)]
            return z3.simplify(z3.Concat(*reversed(pieces))) if size > 1 else pieces[0]
        return self.load_image(at, size)

    def load_image(self, at, size):
        marked = self.image.words.get(at)
        if marked is not None:
            if size != self.word:
                raise Unreadable(f"a {size}-byte read of the relocated word at {at:#x}")
            kind, value = marked
            if kind == "import":
                value = self.image.marker(value)
            return z3.BitVecVal(value, self.bits)
        for cell in self.image.words:
            if at < cell + self.word and cell < at + size:
                raise Unreadable(f"a read across the relocated word at {cell:#x}")
        value = self.image.read(at, size)
        if value is None:
            raise Unreadable(f"a read at {at:#x}, outside the library and the stack")
        return z3.BitVecVal(value, 8 * size)

    def store(self, state, address, value, where, counted=True):
        size = value.size() // 8
        word = self.word_in(address)
        if word is not None:
            raise Fault(f"stores {size} bytes through argument word {word} ({address}) at "
                        f"{where:#x}")
        kind, at = self.place(state, address, size, where)
        if kind != "stack":
            raise Fault(f"stores {size} bytes at {at:#x}, outside its stack, at {where:#x}")
        words_end = self.top + self.word * (1 + len(self.stack_words()))
        if at + size > words_end:
            raise Fault(f"stores {size} bytes at {at:#x}, in the caller's frame above its "
                        f"words, at {where:#x}")
        for i in range(size):
            state.stack[at + i] = z3.simplify(z3.Extract(8 * i + 7, 8 * i, value))
        if counted:
            state.stack_stores += 1

    # -- operands --

    def read_op(self, state, insn, op, size=None):
        size = size or op.size
        if op.type == X.X86_OP_REG:
            return self.get_reg(state, insn.reg_name(op.reg))
        if op.type == X.X86_OP_IMM:
            return z3.BitVecVal(op.imm & ((1 << (8 * size)) - 1), 8 * size)
        if op.type == X.X86_OP_MEM:
            return self.load(state, self.address(state, insn, op.mem), size, insn.address)
        raise Unreadable(f"an operand of {self.text(insn)}")

    def write_op(self, state, insn, op, value):
        if op.type == X.X86_OP_REG:
            self.set_reg(state, insn.reg_name(op.reg), value)
        elif op.type == X.X86_OP_MEM:
            self.store(state, self.address(state, insn, op.mem), value, insn.address)
        else:
            raise Unreadable(f"an operand of {self.text(insn)}")

    def sp(self, state):
        return state.regs["esp" if self.bits == 32 else "rsp"]

    def set_sp(self, state, value):
        state.regs["esp" if self.bits == 32 else "rsp"] = z3.simplify(value)

    def push(self, state, value, where, counted):
        self.set_sp(state, self.sp(state) - self.word)
        self.store(state, self.sp(state), value, where, counted)

    def pop(self, state, where):
        value = self.load(state, self.sp(state), self.word, where)
        self.set_sp(state, self.sp(state) + self.word)
        return value

    def text(self, insn):
        return f"{insn.mnemonic} {insn.op_str}".strip() + f" at {insn.address:#x}"

    def decode(self, address):
        if address not in self.decoded:
            code = self.image.code(address)
            insn = next(self.disassembler.disasm(code, address), None) if code else None
            if insn is None:
                raise Unreadable(f"no instruction at {address:#x}")
            self.decoded[address] = insn
        return self.decoded[address]


def z3_variables(expression):
    found, pending, seen = [], [expression], set()
    while pending:
        e = pending.pop()
        if e.get_id() in seen:
            continue
        seen.add(e.get_id())
        if z3.is_const(e) and e.decl().kind() == z3.Z3_OP_UNINTERPRETED:
            found.append(e)
        pending.extend(e.children())
    return found


# --- Instruction semantics -------------------------------------------------------------------

CONDITIONS = {
    "o": lambda f: f["O"], "no": lambda f: z3.Not(f["O"]),
    "b": lambda f: f["C"], "ae": lambda f: z3.Not(f["C"]),
    "e": lambda f: f["Z"], "ne": lambda f: z3.Not(f["Z"]),
    "be": lambda f: z3.Or(f["C"], f["Z"]), "a": lambda f: z3.And(z3.Not(f["C"]), z3.Not(f["Z"])),
    "s": lambda f: f["S"], "ns": lambda f: z3.Not(f["S"]),
    "l": lambda f: f["S"] != f["O"], "ge": lambda f: f["S"] == f["O"],
    "le": lambda f: z3.Or(f["Z"], f["S"] != f["O"]),
    "g": lambda f: z3.And(z3.Not(f["Z"]), f["S"] == f["O"]),
}


def sign(value):
    return z3.Extract(value.size() - 1, value.size() - 1, value) == 1


def result_flags(state, result):
    state.flags["Z"] = result == 0
    state.flags["S"] = sign(result)
    state.flags["P"] = None  # not modelled: a branch on it fails


def arithmetic(state, a, b, subtract, carry_in=None):
    """a + b (+ carry) or a - b (- borrow), with its flags."""
    width = a.size()
    carry = z3.BitVecVal(0, width + 1) if carry_in is None else z3.If(
        carry_in, z3.BitVecVal(1, width + 1), z3.BitVecVal(0, width + 1))
    wide_a, wide_b = z3.ZeroExt(1, a), z3.ZeroExt(1, b)
    if subtract:
        result = a - b - z3.Extract(width - 1, 0, carry)
        state.flags["C"] = z3.ULT(wide_a, wide_b + carry)
        state.flags["O"] = z3.And(sign(a) != sign(b), sign(result) != sign(a))
    else:
        wide = wide_a + wide_b + carry
        result = z3.Extract(width - 1, 0, wide)
        state.flags["C"] = z3.Extract(width, width, wide) == 1
        state.flags["O"] = z3.And(sign(a) == sign(b), sign(result) != sign(a))
    result = z3.simplify(result)
    result_flags(state, result)
    return result


def logic(state, result):
    result = z3.simplify(result)
    state.flags["C"] = z3.BoolVal(False)
    state.flags["O"] = z3.BoolVal(False)
    result_flags(state, result)
    return result


def undefined_flag(name, where):
    return z3.Bool(f"{name}F_undefined_at_{where:x}")


def shift(state, kind, value, count, where, fill=None):
    """shl, shr, sar, shld, shrd by `count` (masked as the CPU masks it); flags unchanged
    for a count of zero."""
    width = value.size()
    count = z3.ZeroExt(width - count.size(), count) if count.size() < width else z3.Extract(
        width - 1, 0, count)
    count = count & (63 if width == 64 else 31)
    if kind == "shl":
        result, out = value << count, z3.Extract(width - 1, width - 1, value << (count - 1))
    elif kind == "shr":
        result, out = z3.LShR(value, count), z3.Extract(0, 0, z3.LShR(value, count - 1))
    elif kind == "sar":
        result, out = value >> count, z3.Extract(0, 0, value >> (count - 1))
    elif kind == "shrd":
        both = z3.Concat(fill, value)
        wide = z3.ZeroExt(width, count)
        result = z3.Extract(width - 1, 0, z3.LShR(both, wide))
        out = z3.Extract(0, 0, z3.LShR(both, wide - 1))
    else:  # shld
        both = z3.Concat(value, fill)
        wide = z3.ZeroExt(width, count)
        result = z3.Extract(2 * width - 1, width, both << wide)
        out = z3.Extract(2 * width - 1, 2 * width - 1, both << (wide - 1))
    if width < 32 and kind in ("shld", "shrd"):
        raise Unreadable(f"a {width}-bit double shift at {where:#x}")
    zero = count == 0
    result = z3.simplify(z3.If(zero, value, result))
    old = dict(state.flags)
    state.flags["C"] = z3.If(zero, old["C"], out == 1)
    state.flags["O"] = z3.If(zero, old["O"], undefined_flag("O", where))
    state.flags["Z"] = z3.If(zero, old["Z"], result == 0)
    state.flags["S"] = z3.If(zero, old["S"], sign(result))
    state.flags["P"] = None
    return result


def condition(state, code, insn):
    if code in ("p", "np") or code not in CONDITIONS:
        raise Unreadable(f"instruction not modelled: {insn.mnemonic} {insn.op_str} at "
                         f"{insn.address:#x}")
    for flag in "CZSO":
        if state.flags[flag] is None:
            raise Unreadable(f"a branch on an undefined flag at {insn.address:#x}")
    return CONDITIONS[code](state.flags)


CODE_ALIASES = {"c": "b", "nae": "b", "nb": "ae", "nc": "ae", "z": "e", "nz": "ne", "na": "be",
                "nbe": "a", "nge": "l", "nl": "ge", "ng": "le", "nle": "g"}


def condition_code(mnemonic, prefix):
    code = mnemonic[len(prefix):]
    return CODE_ALIASES.get(code, code)


def execute(machine, state, insn):
    """Runs one instruction; the state's pc is where it goes on (a z3 value or an int)."""
    m, ops, name = machine, insn.operands, insn.mnemonic
    following = insn.address + insn.size
    state.pc = following

    def rd(i, size=None):
        return m.read_op(state, insn, ops[i], size)

    def wr(i, value):
        m.write_op(state, insn, ops[i], value)

    if name in ("nop", "endbr32", "endbr64"):
        return
    if name == "mov" or name == "movabs":
        wr(0, rd(1, ops[0].size))
    elif name in ("movzx", "movsx", "movsxd"):
        value = rd(1)
        grow = 8 * ops[0].size - value.size()
        wr(0, z3.ZeroExt(grow, value) if name == "movzx" else z3.SignExt(grow, value))
    elif name == "lea":
        address = m.address(state, insn, ops[1].mem)
        wr(0, z3.Extract(8 * ops[0].size - 1, 0, address))
    elif name in ("add", "sub", "cmp", "adc", "sbb"):
        carry = state.flags["C"] if name in ("adc", "sbb") else None
        result = arithmetic(state, rd(0), rd(1, ops[0].size), name in ("sub", "cmp", "sbb"), carry)
        if name != "cmp":
            wr(0, result)
    elif name in ("inc", "dec"):
        carry = state.flags["C"]
        wr(0, arithmetic(state, rd(0), z3.BitVecVal(1, 8 * ops[0].size), name == "dec"))
        state.flags["C"] = carry
    elif name == "neg":
        value = rd(0)
        result = arithmetic(state, z3.BitVecVal(0, value.size()), value, True)
        wr(0, result)
    elif name in ("and", "or", "xor", "test"):
        a, b = rd(0), rd(1, ops[0].size)
        if name == "xor" and len(ops) == 2 and ops[0].type == ops[1].type == X.X86_OP_REG \
                and ops[0].reg == ops[1].reg:
            a = b = z3.BitVecVal(0, a.size())
        result = logic(state, a & b if name in ("and", "test") else a | b if name == "or" else a ^ b)
        if name != "test":
            wr(0, result)
    elif name == "not":
        wr(0, ~rd(0))
    elif name in ("shl", "sal", "shr", "sar"):
        count = rd(1) if len(ops) > 1 else z3.BitVecVal(1, 8)
        wr(0, shift(state, "shl" if name == "sal" else name, rd(0), count, insn.address))
    elif name in ("shld", "shrd"):
        wr(0, shift(state, name, rd(0), rd(2), insn.address, fill=rd(1)))
    elif name.startswith("cmov"):
        taken = condition(state, condition_code(name, "cmov"), insn)
        wr(0, z3.simplify(z3.If(taken, rd(1), rd(0))))
    elif name.startswith("set"):
        taken = condition(state, condition_code(name, "set"), insn)
        wr(0, z3.If(taken, z3.BitVecVal(1, 8), z3.BitVecVal(0, 8)))
    elif name == "push":
        counted = ops[0].type != X.X86_OP_REG
        value = rd(0, m.word)
        if value.size() < 8 * m.word:
            value = z3.SignExt(8 * m.word - value.size(), value)
        m.push(state, value, insn.address, counted)
    elif name == "pop":
        wr(0, m.pop(state, insn.address))
    elif name == "jmp":
        state.pc = rd(0, m.word)
    elif name == "call":
        target = rd(0, m.word)
        m.push(state, z3.BitVecVal(following, 8 * m.word), insn.address, counted=False)
        state.pc = target
    elif name == "ret":
        state.pc = m.pop(state, insn.address)
        if ops:
            m.set_sp(state, m.sp(state) + ops[0].imm)
    elif name.startswith("j") and name not in ("jmp", "jecxz", "jcxz", "jrcxz"):
        state.pc = ("branch", condition(state, condition_code(name, "j"), insn), ops[0].imm,
                    following)
    else:
        raise Unreadable(f"instruction not modelled: {insn.mnemonic} {insn.op_str} at "
                         f"{insn.address:#x}")


# --- Exploration ------------------------------------------------------------------------------

class Dispatcher:
    """What the table says of one dispatcher, and its routine number in the solver's
    floating-point theory."""

    def __init__(self, entry, image):
        self.entry, self.name, self.words = entry, entry.name, entry.words
        self.par_word = entry.par_word
        target = "windows-32" if image.format == "pe" else "linux"
        self.export = exported_name(entry.name, entry.words, target)
        self.routes = {exported_name(routine, entry.words, target): (number, routine)
                       for number, routine in entry.routes}
        self.by_number = {number: routine for number, routine in entry.routes}
        self.form = form_row(entry)  # its row of the limits

    def number(self, par):
        x = z3.fpBVToFP(par, z3.Float64())
        whole = z3.fpRoundToIntegral(z3.RTZ(), x)
        converts = z3.And(z3.Not(z3.fpIsNaN(x)), z3.Not(z3.fpIsInf(x)),
                          z3.fpGEQ(whole, z3.FPVal(INT32_MIN, z3.Float64())),
                          z3.fpLEQ(whole, z3.FPVal(-INT32_MIN - 1, z3.Float64())))
        number = z3.If(converts, z3.fpToSBV(z3.RTZ(), x, z3.BitVecSort(32)),
                       z3.BitVecVal(INT32_MIN, 32))
        return number, z3.And(converts, z3.Not(z3.fpEQ(whole, x))), z3.Not(converts)

    def due(self, number):
        routine = self.by_number.get(number)
        return routine if routine else f"the report of {number}"


def signed32(value):
    return value - (1 << 32) if value >= 1 << 31 else value


def par_text(bits):
    return f"PAR(1) bits {bits:016x} ({struct.unpack('<d', struct.pack('<Q', bits))[0]!r})"


class Prover:
    def __init__(self, image, dispatcher):
        self.image, self.dispatcher = image, dispatcher
        self.machine = Machine(image, dispatcher)
        self.number, self.inexact_due, self.invalid_due = dispatcher.number(self.machine.par)
        self.paths = []  # (state, witness bits, predicted outcome)

    def counterexample(self, state, model, what, reaching=None):
        m = self.machine
        bits = model.eval(m.par, model_completion=True).as_long()
        number = signed32(model.eval(self.number, model_completion=True).as_long())
        reached = (reaching or state.routine[0] if reaching or state.routine else f"the report of "
                   f"{signed32(model.eval(state.report, model_completion=True).as_long())}"
                   if state.report is not None else "neither routine nor report")
        path = " ".join(f"{a:x}" for a in state.trace)
        return Fault(f"{self.dispatcher.name}: {what}\n    {par_text(bits)}: routine number "
                     f"{number}; reached {reached}, due {self.dispatcher.due(number)}\n"
                     f"    path: {path}")

    def refute(self, state, violation, what, reaching=None):
        violation = z3.simplify(violation)
        if z3.is_false(violation):
            return
        model = holds(state.condition, violation)
        if model is not None:
            raise self.counterexample(state, model, what, reaching)

    def run(self):
        m, image = self.machine, self.image
        start = m.start(image.exports[self.dispatcher.export])
        start.model = holds([])
        pending = [start]
        while pending:
            state = pending.pop()
            while state is not None:
                state = self.step(state, pending)
        return self.paths

    def step(self, state, pending):
        """Runs the path on by one instruction or end; the state to go on with, or None."""
        m, pc = self.machine, state.pc
        if isinstance(pc, tuple):
            _, taken, target, following = pc
            if not z3.is_true(state.model.eval(taken, model_completion=True)):
                taken, target, following = z3.Not(taken), following, target
            # The model takes one side; the other is searched.
            model = holds(state.condition, z3.Not(taken))
            if model is not None:
                other = state.fork()
                other.require(z3.Not(taken), model)
                other.pc = following
                pending.append(other)
            state.require(taken, state.model)
            state.pc = target
            return state
        if not isinstance(pc, int):
            if z3.is_true(z3.simplify(pc == m.ret)):
                return self.returned(state)
            value = only_value(state, pc)
            if value is None:
                where = state.trace[-1] if state.trace else 0
                for value, model in all_values(state, pc, where):
                    other = state.fork()
                    other.require(pc == value, model)
                    other.pc = value
                    pending.append(other)
                return None
            pc = state.pc = value
        imported = self.image.imported(pc)
        if imported is not None:
            return self.entered_routine(state, imported)
        helper = self.image.helper_at(pc)
        if helper is not None:
            return self.helper(state, helper)
        insn = m.decode(pc)
        top = m.load(state, m.sp(state), m.word, pc)
        key = (pc, m.sp(state).get_id(), top.get_id())
        if key in state.seen:
            raise Unreadable(f"{self.dispatcher.name}: a loop at {pc:#x}")
        if len(state.trace) > MAX_STEPS:
            raise Unreadable(f"{self.dispatcher.name}: a path of more than {MAX_STEPS} "
                             f"instructions at {pc:#x}")
        before = state.fork()
        state.seen.add(key)
        try:
            execute(m, state, insn)
        except Split as split:
            for value, model in split.values:
                other = before.fork()
                other.require(split.expression == value, model)
                pending.append(other)
            return None
        except Fault as fault:
            model = holds(state.condition)
            raise self.counterexample(before, model, str(fault)) from None
        state.trace.append(pc)
        return state

    def caller_saved_clobbered(self, state, where):
        m = self.machine
        for register in CALLER_SAVED[m.bits]:
            state.regs[register] = z3.BitVec(f"{register}_after_call_at_{where:x}", m.bits)
        for flag in "CZSO":
            state.flags[flag] = undefined_flag(flag, where)

    def words_arrive(self, state, routine):
        """The routine's words, where its convention looks, against the host's."""
        m = self.machine
        sp = m.sp(state)
        passed = []
        if m.bits == 64:
            passed += [state.regs[r] for r in WORD_REGISTERS_64[:len(m.words)]]
        stacked = m.stack_words()
        passed += [m.load(state, sp + m.word * (i + 1), m.word, state.pc)
                   for i in range(len(stacked))]
        changed = z3.Or([a != b for a, b in zip(passed, m.words)] + [z3.BoolVal(False)])
        self.refute(state, changed, f"the words reach {routine} changed", routine)

    def registers_kept(self, state, what):
        m = self.machine
        changed = z3.Or([state.regs[r] != m.initial[r] for r in CALLEE_SAVED[m.bits]])
        self.refute(state, changed, f"{what} with a register the host keeps changed")

    def entered_routine(self, state, imported):
        m = self.machine
        route = self.dispatcher.routes.get(imported)
        if route is None:
            raise self.counterexample(state, holds(state.condition),
                                      f"reaches {imported}, no routine of its table")
        routine = route[1]
        if state.routine or state.report is not None:
            raise self.counterexample(state, holds(state.condition),
                                      f"reaches {routine} after another routine or the report")
        self.words_arrive(state, routine)
        back = m.load(state, m.sp(state), m.word, state.pc)
        if z3.is_true(z3.simplify(back == m.ret)):
            state.routine = (routine, "tail jump")
            moved = m.sp(state) != m.top
            self.refute(state, moved, f"jumps to {routine} with the stack pointer moved")
            self.registers_kept(state, f"jumps to {routine}")
            return self.finish(state)
        state.routine = (routine, "call")
        m.pop(state, state.pc)
        if m.bits == 32:  # the routine pops its words
            m.set_sp(state, m.sp(state) + 4 * self.dispatcher.words)
        self.caller_saved_clobbered(state, state.pc)
        state.pc = back
        return state

    def helper(self, state, helper):
        m = self.machine
        sp = m.sp(state)
        if m.bits == 32:
            arguments = [m.load(state, sp + 4 * i, 4, state.pc) for i in (1, 2, 3)]
        else:
            arguments = [state.regs["rdi"], state.regs["rsi"], z3.Extract(31, 0, state.regs["rdx"])]
        if helper == "raise_masked_fp_exceptions":
            state.raises.append(z3.Extract(31, 0, arguments[0]))
        else:
            if state.routine or state.report is not None:
                raise self.counterexample(state, holds(state.condition),
                                          "reaches the report after a routine or the report")
            state.report = arguments[2]
            length, text = only_value(state, arguments[0]), only_value(state, arguments[1])
            due = INVALID_TEXT.format(self.dispatcher.entry.report_name).encode()
            shown = (bytes(self.image.read(text + i, 1) or 0 for i in range(length))
                     if length is not None and text is not None and length < 256 else None)
            if shown != due:
                raise self.counterexample(state, holds(state.condition),
                                          f"reports with the text {shown!r}, not {due!r}")
        where = state.pc
        state.pc = m.pop(state, where)
        self.caller_saved_clobbered(state, where)
        return state

    def returned(self, state):
        m = self.machine
        popped = m.word + (4 * self.dispatcher.words if m.bits == 32 else 0)
        self.refute(state, m.sp(state) != m.top + popped,
                    f"returns to the host without popping {popped} bytes")
        self.registers_kept(state, "returns")
        if state.routine is None and state.report is None:
            raise self.counterexample(state, holds(state.condition),
                                      "returns having called neither a routine nor the report")
        return self.finish(state)

    def finish(self, state):
        """The proof obligations of a finished path; its witness."""
        routes = [number for number, _ in self.dispatcher.entry.routes]
        obligations = []
        if state.routine:
            number = next(n for n, r in self.dispatcher.entry.routes if r == state.routine[0])
            obligations.append((self.number != number,
                                f"reaches {state.routine[0]} for another routine number"))
        else:
            obligations.append((z3.Or([self.number == n for n in routes]),
                                "reaches the report for a routine number of its table"))
            obligations.append((state.report != self.number,
                                "reports another number than the routine number"))
        for bit, due, what in ((INEXACT, self.inexact_due, "inexact"),
                               (INVALID, self.invalid_due, "invalid")):
            raised = z3.Or([(a & bit) != 0 for a in state.raises] + [z3.BoolVal(False)])
            obligations.append((raised != due,
                                f"raises {what} where it is not due, or not where it is"))
        # One search for any violation; only a violation is searched for one by one.
        if holds(state.condition, z3.Or([v for v, _ in obligations])) is not None:
            for violation, what in obligations:
                self.refute(state, violation, what)
        model = state.model
        bits = model.eval(self.machine.par, model_completion=True).as_long()
        outcome = (state.routine[0] if state.routine else
                   ("report", signed32(model.eval(self.number, model_completion=True).as_long())))
        self.paths.append((state, bits, outcome))
        return None


# --- Figures, limits, replay -------------------------------------------------------------------

def figures(dispatcher, paths):
    """Per route: the instructions and stack stores of its shortest path."""
    shortest = {}
    for state, _, outcome in paths:
        if isinstance(outcome, str):
            figure = (len(state.trace), state.stack_stores)
            shortest[outcome] = min(shortest.get(outcome, figure), figure)
    return [(routine, *shortest[routine]) for _, routine in dispatcher.entry.routes
            if routine in shortest]


def judge(dispatcher, routes, limits):
    """Faults of each route's path against the limit of the dispatcher's form; a fast
    path stores nothing on the stack."""
    # Both measures, the instructions on a route's path here and its callgrind count in
    # bench/check_counts.py, are the same: one row of limits for each form.
    limit = limits.get(dispatcher.form)
    faults = []
    for routine, length, stores in routes:
        if limit is not None and length > limit:
            faults.append(f"{dispatcher.name}: {routine}'s path is {length} instructions, "
                          f"over the limit of {dispatcher.form}, {limit}")
        if stores and dispatcher.form != "form/general_path":
            faults.append(f"{dispatcher.name}: {routine}'s path makes {stores} stack "
                          f"store{'s' if stores > 1 else ''}, where a fast path makes none")
    missing = [r for _, r in dispatcher.entry.routes if r not in {f[0] for f in routes}]
    if missing:
        faults.append(f"{dispatcher.name}: no path reaches {' '.join(missing)}")
    return faults


def reached_in(transcript):
    """For each `call` step of a transcript: the routine it reached, or ("report", FIELD),
    FIELD being the report's columns 56-59."""
    reached = []
    for line in transcript.splitlines():
        if line.startswith("> call "):
            reached.append(None)
        elif (routine := re.match(r"^  (\w+): \d+ argument words", line)) and reached:
            reached[-1] = routine.group(1)
        elif (message := re.match(r"^    message \(80\): \|(.*)\|$", line)) and reached:
            reached[-1] = ("report", message.group(1)[55:59])
    return reached


def report_field(number):
    text = str(number)
    return text.rjust(4) if len(text) <= 4 else "****"


def replay(library, proven, host, emulator, work):
    """Plays every path's witness through `gyrix-host run`, once; the faults."""
    session = os.path.join(work, "witnesses.session")
    calls = []
    with open(session, "w", encoding="ascii") as out:
        out.write("# Every path's witness, written by prove_routing.py.\n")
        for dispatcher, paths in proven:
            for index, (_, bits, outcome) in enumerate(paths, 1):
                out.write(f"call {dispatcher.name} 0x{bits:016x}\n")
                calls.append((dispatcher, index, bits, outcome))
    environment = dict(os.environ, GYRIX_SOLVER_LIBRARY=os.path.abspath(library))
    command = ([emulator] if emulator else []) + [host, "run", session]
    if library.endswith(".dll"):
        environment["GYRIX_SOLVER_LIBRARY"] = "Z:" + os.path.abspath(library).replace("/", "\\")
    done = subprocess.run(command, capture_output=True, text=True, env=environment, check=False)
    if done.returncode != 0:
        return [f"replay: {' '.join(command)} failed ({done.returncode}):\n{done.stderr}"]
    reached = reached_in(done.stdout)
    if len(reached) != len(calls):
        return [f"replay: {len(reached)} calls in the transcript, {len(calls)} played"]
    faults = []
    for (dispatcher, index, bits, outcome), got in zip(calls, reached):
        due = outcome if isinstance(outcome, str) else ("report", report_field(outcome[1]))
        if got != due:
            faults.append(f"replay: {dispatcher.name} path {index}, {par_text(bits)}: the "
                          f"library reached {got}, the proof predicted {due}")
    return faults


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--table", required=True, help="the contract table of the library")
    parser.add_argument("library")
    parser.add_argument("--limits", metavar="FILE",
                        help="bench/count_limits.txt: each form's limit on a route's path")
    parser.add_argument("--platform", metavar="COLUMN", help="the column of FILE to hold")
    parser.add_argument("--replay", metavar="HOST", help="gyrix-host, to play the witnesses")
    parser.add_argument("--emulator", metavar="WRAPPER",
                        help="runs HOST: scripts/wine-run.sh for the DLL")
    parser.add_argument("--llvm", default="/usr/lib/llvm-19/bin",
                        help="the folder of llvm-pdbutil, which reads a DLL's PDB")
    parser.add_argument("--symbols", metavar="STORE",
                        help="a symbol store that holds the DLL's PDB (default: the PDB beside it)")
    parser.add_argument("--work", help="a folder for the witnesses' session (default: temporary)")
    return parser.parse_args()


def main():
    args = arguments()
    started = time.monotonic()
    image = Image(args.library, args.llvm, args.symbols)
    contract = read_table(args.table)
    limits = read_limits(args.limits, args.platform) if args.limits else {}
    faults, proven = [], []
    print(f"{args.library} ({image.format}, {image.bits}-bit) against {args.table}:")
    for entry in contract.of_kind("DISPATCHER"):
        dispatcher = Dispatcher(entry, image)
        if dispatcher.export not in image.exports:
            faults.append(f"{dispatcher.name}: {dispatcher.export} is not exported")
            continue
        paths = Prover(image, dispatcher).run()
        proven.append((dispatcher, paths))
        routes = figures(dispatcher, paths)
        reports = sum(1 for _, _, outcome in paths if not isinstance(outcome, str))
        print(f"  {dispatcher.name} ({dispatcher.form}): {len(paths)} paths, {reports} to the "
              f"report; shortest path to each route (instructions, stack stores):")
        print("    " + ", ".join(f"{r} {n} ({s})" for r, n, s in routes))
        faults += judge(dispatcher, routes, limits)
    if args.replay and not faults:
        with tempfile.TemporaryDirectory() as temporary:
            work = args.work or temporary
            os.makedirs(work, exist_ok=True)
            faults += replay(args.library, proven, args.replay, args.emulator, work)
            played = sum(len(paths) for _, paths in proven)
            print(f"  replayed {played} witnesses through {os.path.basename(args.replay)}")
    for fault in faults:
        print(f"FAULT: {fault}")
    print(f"  {'proven' if not faults else 'NOT proven'} in {time.monotonic() - started:.1f} s")
    return 1 if faults else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (Fault, Unreadable) as failure:
        print(f"FAULT: {failure}")
        sys.exit(1)
