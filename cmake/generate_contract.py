#!/usr/bin/env python3
"""Reads the binary contract, subs_solver/entry_points.def, checks it, and writes the
code and lists that follow from it into the build tree.

    generate_contract.py TABLE OUTPUT_DIR

A fault in the table stops the build with `entry_points.def:LINE: what is wrong`.
Every file is rewritten only when its text changes, so that an unchanged table
rebuilds nothing. The table's head says what each kind of line means.
"""

import os
import re
import struct
import sys

# A routine number that the fast path takes: PAR(1) holds it as a double whose lower
# 32 bits are zero, so that the upper 32 bits alone name it. Every whole number of
# magnitude below 2^20 is such a double (1 implicit and 20 stored significand bits).
NUMBER_LIMIT = (1 << 20) - 1
# Table slots of a dispatcher's fast path: at most 2^MAX_SLOT_BITS.
MAX_SLOT_BITS = 6
REPORT_NAME_LENGTH = 6
INVALID_TEXT = "Error in dispatcher subroutine {}: Invalid PAR(1): "
UNSUPPLIED_TEXT = "Error in dispatcher subroutine {}: "

NAME = r"([A-Za-z_][A-Za-z0-9_]*)"
NUMBER = r"(-?[0-9]+)"
LINE_FORMS = {
    "DISPATCHER": re.compile(rf"DISPATCHER\({NAME},([0-9]+),([0-9]+),{NAME}\)"),
    "ROUTE": re.compile(rf"ROUTE\({NAME},{NUMBER},{NAME}\)"),
    "UNSUPPLIED": re.compile(rf"UNSUPPLIED\({NAME},([0-9]+),{NAME}\)"),
    "STDCALL": re.compile(rf"STDCALL\({NAME},([0-9]+)\)"),
    "PLAIN": re.compile(rf"PLAIN\({NAME}\)"),
}


class TableError(Exception):
    pass


class Entry:
    def __init__(self, kind, name, line, words=None, par_word=None, report_name=None):
        self.kind = kind
        self.name = name
        self.line = line
        self.words = words
        self.par_word = par_word  # 1 for the first word
        self.report_name = report_name
        self.routes = []  # (number, routine), in table order
        self.slots = None  # (shift, bits) of the fast path's table


def read_table(path):
    entries = []
    by_name = {}
    routines = {}
    where = os.path.basename(path)
    with open(path, encoding="utf-8") as table:
        for number, text in enumerate(table, start=1):

            def fail(what):
                raise TableError(f"{where}:{number}: {what}")

            line = text.strip()
            if not line or line.startswith("//"):
                continue
            compact = re.sub(r"\s", "", line)
            kind = compact.split("(", 1)[0]
            form = LINE_FORMS.get(kind)
            match = form.fullmatch(compact) if form else None
            if not match:
                fail(f"not a line of the contract: {line}")
            fields = match.groups()
            if kind == "ROUTE":
                dispatcher_name, route_number, routine = fields
                dispatcher = by_name.get(dispatcher_name)
                if dispatcher is None or dispatcher.kind != "DISPATCHER":
                    fail(f"a route of {dispatcher_name}, which is no dispatcher declared above it")
                route_number = int(route_number)
                if abs(route_number) > NUMBER_LIMIT:
                    fail(f"routine number {route_number} lies outside -{NUMBER_LIMIT} .. "
                         f"{NUMBER_LIMIT}, the numbers that a dispatcher's fast path reads")
                for taken, other in dispatcher.routes:
                    if taken == route_number:
                        fail(f"routine number {route_number} of {dispatcher_name} again "
                             f"(it selects {other} already)")
                if routine in routines or routine in by_name:
                    fail(f"{routine} named again: each route needs an element routine of its own")
                routines[routine] = dispatcher
                dispatcher.routes.append((route_number, routine))
                continue
            name = fields[0]
            if name in by_name or name in routines:
                fail(f"entry point {name} again (first on line {by_name[name].line})"
                     if name in by_name else f"{name} is an element routine already")
            if kind == "DISPATCHER":
                entry = Entry(kind, name, number, int(fields[1]), int(fields[2]), fields[3])
                if not 1 <= entry.par_word <= entry.words:
                    fail(f"PAR word {entry.par_word} of {name}, which has {entry.words} words")
            elif kind == "UNSUPPLIED":
                entry = Entry(kind, name, number, int(fields[1]), None, fields[2])
            elif kind == "STDCALL":
                entry = Entry(kind, name, number, int(fields[1]))
            else:
                entry = Entry(kind, name, number)
            if entry.report_name is not None and len(entry.report_name) != REPORT_NAME_LENGTH:
                fail(f"report name {entry.report_name} of {name} is not "
                     f"{REPORT_NAME_LENGTH} characters")
            entries.append(entry)
            by_name[name] = entry
    for entry in entries:
        if entry.kind == "DISPATCHER":
            if not entry.routes:
                raise TableError(f"{where}:{entry.line}: dispatcher {entry.name} has no route")
            entry.slots = find_slots(entry)
            if entry.slots is None:
                raise TableError(f"{where}:{entry.line}: no shift and mask of PAR(1)'s upper "
                                 f"bits parts the routes of {entry.name} into "
                                 f"{1 << MAX_SLOT_BITS} slots")
    return entries


def upper_bits(number):
    """The upper 32 bits of the double `number`, a whole number of magnitude below 2^20."""
    return struct.unpack("<Q", struct.pack("<d", float(number)))[0] >> 32


def find_slots(dispatcher):
    """The smallest table, and in it the smallest shift, under which the routes' upper
    bits fall into distinct slots: slot = upper >> shift & (2^bits - 1)."""
    uppers = [upper_bits(number) for number, _ in dispatcher.routes]
    for bits in range(MAX_SLOT_BITS + 1):
        if (1 << bits) < len(uppers):
            continue
        for shift in range(32 - bits + 1):
            slots = {upper >> shift & ((1 << bits) - 1) for upper in uppers}
            if len(slots) == len(uppers):
                return shift, bits
    return None


# Writing.


def source_line(comment):
    return f"{comment} Written by cmake/generate_contract.py from subs_solver/entry_points.def: edit those, not this.\n"


def of_kind(entries, kind):
    return (entry for entry in entries if entry.kind == kind)


def cpp_file(head, body, tail):
    """A written C++ file: the source line, its head, the body's pieces in order, its tail."""
    return source_line("//") + "".join(head) + "".join(body) + tail


def word_names(entry):
    return ["par" if position == entry.par_word else f"w{position}"
            for position in range(1, entry.words + 1)]


def in_lines(items, per_line):
    """A declaration's parameters, per_line of them to a line."""
    return ",\n    ".join(", ".join(items[at:at + per_line])
                           for at in range(0, len(items), per_line))


def parameters(entry, with_types=True):
    names = word_names(entry)
    if not with_types:
        return ", ".join(names)
    return in_lines([f"Word {name}" for name in names], 6)


def report_texts(entries):
    forms = {"DISPATCHER": (INVALID_TEXT, "kInvalidTextLength"),
             "UNSUPPLIED": (UNSUPPLIED_TEXT, "kUnsuppliedTextLength")}
    body = []
    for entry in entries:
        if entry.kind not in forms:
            continue
        form, length = forms[entry.kind]
        text = form.format(entry.report_name)
        body.append(f"inline constexpr std::string_view k{entry.name}{{\n    \"{text}\", {len(text)}}};\n"
                    f"static_assert(k{entry.name}.size() == {length});\n")
    return cpp_file(
        "// The texts of the fatal reports, one for each entry point that issues one.\n"
        "#pragma once\n\n#include <string_view>\n\n#include \"dispatch/fatal_report.h\"\n\n"
        "namespace gyrix::texts {\n\n", body, "\n}  // namespace gyrix::texts\n")


def element_routines(entries):
    body = []
    for entry in of_kind(entries, "DISPATCHER"):
        body.append(f"\n// {entry.name}'s routes.\n")
        body.extend(f"GYRIX_IMPORT void GYRIX_CALL {routine}({parameters(entry)});\n"
                    for _, routine in entry.routes)
    return cpp_file(
        "// The element routines of elemlib behind the dispatchers, one for each route. Each\n"
        "// takes its dispatcher's words, every word an address, PAR's named \"par\".\n"
        "#pragma once\n\n#include \"platform.h\"\n#include \"word_routine.h\"\n\n"
        "extern \"C\" {\n", body, "\n}  // extern \"C\"\n")


def dispatcher_code(entry):
    name, words = entry.name, entry.words
    shift, bits = entry.slots
    size = 1 << bits
    mask = size - 1
    args = parameters(entry, with_types=False)
    routine_type = f"gyrix::WordRoutine<{words}>"
    routes = ", ".join(f"{number} {routine}" for number, routine in entry.routes)
    out = [f"\n// {name}: {routes}.\n\n"]
    for number, routine in entry.routes:
        out.append(f"GYRIX_ROUTINE_CELL({routine_type}, {routine}_cell, {routine}, "
                   f"\"__imp__{routine}@{4 * words}\")\n")
    out.append(
        f"\nnamespace {{\n\n"
        f"// The general path: PAR(1) converted as the host's compiler would, the routes tried\n"
        f"// in table order, the match called, or the fatal report.\n"
        f"[[gnu::noinline]]\nvoid GYRIX_CALL {name}_converted({parameters(entry)}) {{\n"
        f"  const int32_t number = gyrix::routine_number(par);\n")
    for number, routine in entry.routes:
        out.append(f"  if (number == {number}) return {routine}({args});\n")
    out.append(f"  gyrix::report_invalid_routine(gyrix::texts::k{name}, number);\n}}\n"
               f"constexpr {routine_type} {name}_converted_cell = {name}_converted;\n\n")
    by_slot = {}
    for number, routine in entry.routes:
        by_slot[upper_bits(number) >> shift & mask] = (number, routine)
    patterns, cells = [], []
    for slot in range(size):
        if slot in by_slot:
            number, routine = by_slot[slot]
            patterns.append(f"0x{upper_bits(number):08X}'00000000u,  // {number}")
            cells.append(f"&{routine}_cell,")
        else:
            # No route: a pattern whose own slot is another, so that it never matches.
            patterns.append(f"0x{((slot + 1) & mask) << shift:08X}'00000000u,  // no route")
            cells.append(f"&{name}_converted_cell,")
    out.append(f"// The fast path's table: PAR(1)'s bits, shifted right by {32 + shift} and masked with\n"
               f"// {mask}, pick a slot; a route's number exactly has the slot's bits.\n"
               f"constexpr uint64_t {name}_bits[{size}] = {{\n")
    out.extend(f"    {line}\n" for line in patterns)
    out.append(f"}};\nconst {routine_type}* const {name}_cells[{size}] = {{\n")
    out.extend(f"    {line}\n" for line in cells)
    out.append("};\n\n}  // namespace\n\n")
    out.append(
        f"extern \"C\" void GYRIX_CALL {name}({parameters(entry)}) {{\n"
        f"  uint64_t bits;\n"
        f"  std::memcpy(&bits, par, sizeof bits);\n"
        f"  const auto slot = static_cast<uint32_t>(bits >> {32 + shift}) & {mask};\n"
        f"  const {routine_type}* cell = &{name}_converted_cell;\n"
        f"  if (gyrix_same_bits(bits, {name}_bits[slot])) cell = {name}_cells[slot];\n"
        f"  (*cell)({args});\n}}\n")
    return "".join(out)


def dispatchers(entries):
    return cpp_file(
        "// The dispatchers: each reads PAR(1)'s 64 bits through its PAR word and nothing else,\n"
        "// and passes its words on, unchanged, to the element routine that PAR(1) selects.\n"
        "//  - Fast path, PAR(1) a route's number exactly (lower 32 bits zero): a shift and a\n"
        "//    mask of its bits pick a slot of a constant table; if the slot's bits are\n"
        "//    PAR(1)'s, its cell is the route's. No conversion, no flag raised.\n"
        "//  - Anything else goes to the general path, through its cell.\n"
        "// Either way one call through a cell, which the compiler makes a jump that leaves\n"
        "// the words where they lie. A cell is the routine's import-table slot on Windows\n"
        "// (platform.h).\n"
        "#include <cstdint>\n#include <cstring>\n\n"
        "#include \"contract/element_routines.h\"\n#include \"contract/report_texts.h\"\n"
        "#include \"dispatch/fatal_report.h\"\n#include \"dispatch/routine_number.h\"\n",
        map(dispatcher_code, of_kind(entries, "DISPATCHER")), "")


def unsupplied(entries):
    return cpp_file(
        "// The entry points without routines: every call ends the run with a report naming\n"
        "// the entry point. The words are never read.\n"
        "#include \"contract/report_texts.h\"\n#include \"dispatch/fatal_report.h\"\n"
        "#include \"platform.h\"\n#include \"word_routine.h\"\n\nextern \"C\" {\n\n",
        (f"void GYRIX_CALL {entry.name}({in_lines(['Word'] * entry.words, 8)}) {{\n"
         f"  gyrix::report_unsupplied(gyrix::texts::k{entry.name});\n}}\n"
         for entry in of_kind(entries, "UNSUPPLIED")),
        "\n}  // extern \"C\"\n")


def elemlib_routines(entries):
    body = []
    for entry in of_kind(entries, "DISPATCHER"):
        body.append("\n")
        body.extend(f"void GYRIX_CALL {routine}({parameters(entry)}) {{\n"
                    f"  const void* words[] = {{{parameters(entry, with_types=False)}}};\n"
                    f"  record_call(\"{routine}\", words, {entry.words}, {entry.par_word - 1});\n"
                    f"}}\n" for _, routine in entry.routes)
    return cpp_file(
        "// The stand-in element routines: each journals the words it receives (record_call,\n"
        "// elemlib.cpp) and reads nothing but PAR(1).\n"
        "#include \"contract/element_routines.h\"\n#include \"elemlib.h\"\n\nextern \"C\" {\n",
        body, "\n}  // extern \"C\"\n")


def harness_entry_points(entries):
    listed = [entry for entry in entries if entry.kind in ("DISPATCHER", "UNSUPPLIED")]
    out = [source_line("//"),
           "// The library's entry points as the host knows them: name, argument words, and for\n"
           "// the routing ones which word carries PAR (0 for the first). The host resolves each\n"
           "// by its exported name.\n",
           "#pragma once\n\n#include <array>\n#include <cstddef>\n#include <string_view>\n\n",
           "namespace harness {\n\ninline constexpr int kNoPar = -1;\n\n",
           "struct EntryPoint {\n  std::string_view name;\n  int words;     // argument words\n"
           "  int par_word;  // position of the PAR address, or kNoPar\n};\n\n",
           "// The dispatchers and the entry points without routines, in the table's order.\n",
           f"inline constexpr std::array<EntryPoint, {len(listed)}> kUserSubroutines{{{{\n"]
    for entry in listed:
        par = entry.par_word - 1 if entry.kind == "DISPATCHER" else "kNoPar"
        out.append(f"    {{\"{entry.name}\", {entry.words}, {par}}},\n")
    out.append("}};\ninline constexpr std::size_t kUserSubroutineCount = kUserSubroutines.size();\n\n"
               "// The entry point of that name, or a null pointer.\n"
               "inline const EntryPoint* find_user_subroutine(std::string_view name) {\n"
               "  for (const EntryPoint& entry : kUserSubroutines) {\n"
               "    if (entry.name == name) return &entry;\n  }\n  return nullptr;\n}\n\n"
               "}  // namespace harness\n")
    return "".join(out)


def kit_declarations(entries):
    """The integrator's kit: the user-subroutine entry points in C and in Fortran, for
    the templates subs_solver/kit/gyrix_solver.{h,f90}.in (cmake/integrator_kit.cmake)."""
    c, fortran = [], []
    for entry in entries:
        if entry.kind == "DISPATCHER":
            routes = ", ".join(f"{number} {routine}" for number, routine in entry.routes)
            summary = (f"{entry.name}: routes by PAR(1) to {routes}; another number: "
                       f"report {entry.report_name}")
        elif entry.kind == "UNSUPPLIED":
            summary = (f"{entry.name}: no routines: every call ends the run with report "
                       f"{entry.report_name}")
        else:
            continue
        names = word_names(entry)
        c.append(f"/* {summary} */\nvoid GYRIX_SOLVER_STDCALL {entry.name}("
                 f"{in_lines([f'void* {name}' for name in names], 6)});\n")
        lower = entry.name.lower()
        host_words = ", ".join(name for name in names if name != "par")
        has_par = entry.par_word is not None
        text = (f"    ! {summary}\n"
                f"    subroutine {lower}({', '.join(names)}) bind(c, name='{entry.name}')\n")
        if has_par:
            text += "      import :: c_double\n"
        text += f"      !GCC$ ATTRIBUTES STDCALL :: {lower}\n"
        if host_words:
            text += (f"      !GCC$ ATTRIBUTES NO_ARG_CHECK :: {host_words}\n"
                     f"      type(*), dimension(*) :: {host_words}\n")
        if has_par:
            text += "      real(c_double), dimension(*) :: par\n"
        text += f"    end subroutine {lower}\n\n"
        fortran.append(text)
    return "".join(c), "".join(fortran)


def check_kit_templates(entries, kit_dir):
    """The templates must declare each entry point whose types the table does not give."""
    for template, spelling in (("gyrix_solver.h.in", "{}("), ("gyrix_solver.f90.in", "name='{}'")):
        with open(os.path.join(kit_dir, template), encoding="utf-8") as text:
            declared = text.read()
        for entry in entries:
            if entry.kind in ("STDCALL", "PLAIN") and spelling.format(entry.name) not in declared:
                raise TableError(f"{template}: no declaration of {entry.name}, an entry point "
                                 f"of the contract (line {entry.line}): add it there")


def cmake_lists(entries):
    def entry_of(entry):
        return entry.name if entry.kind == "PLAIN" else f"{entry.name}:{entry.words}"

    exports = " ".join(map(entry_of, entries))
    routines = " ".join(f"{routine}:{entry.words}" for entry in of_kind(entries, "DISPATCHER")
                        for _, routine in entry.routes)
    c, fortran = kit_declarations(entries)
    dispatchers = " ".join(map(entry_of, of_kind(entries, "DISPATCHER")))
    return (source_line("#") +
            "# Every entry point as an export entry (NAME:WORDS, NAME for a plain C routine).\n"
            f"set(GYRIX_EXPORT_ENTRIES {exports})\n"
            "# Every element routine that a route names, as an export entry.\n"
            f"set(GYRIX_ELEMENT_ROUTINE_ENTRIES {routines})\n"
            "# The dispatchers, as export entries (bench/dispatcher_code.cmake).\n"
            f"set(GYRIX_DISPATCHER_ENTRIES {dispatchers})\n"
            "# The kit's declarations of the user-subroutine entry points.\n"
            f"set(GYRIX_KIT_C_DECLARATIONS [==[{c}]==])\n"
            f"set(GYRIX_KIT_FORTRAN_INTERFACES [==[{fortran}]==])\n")


def write_if_changed(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    try:
        with open(path, encoding="utf-8") as existing:
            if existing.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: generate_contract.py TABLE OUTPUT_DIR")
    table, output = argv[1], argv[2]
    try:
        entries = read_table(table)
        check_kit_templates(entries, os.path.join(os.path.dirname(table), "kit"))
    except TableError as error:
        sys.exit(str(error))
    files = {
        "contract/report_texts.h": report_texts(entries),
        "contract/element_routines.h": element_routines(entries),
        "contract/dispatchers.cpp": dispatchers(entries),
        "contract/unsupplied.cpp": unsupplied(entries),
        "standins/elemlib_routines.cpp": elemlib_routines(entries),
        "harness/entry_points.h": harness_entry_points(entries),
        "contract/contract.cmake": cmake_lists(entries),
    }
    for relative, text in files.items():
        write_if_changed(os.path.join(output, relative), text)


if __name__ == "__main__":
    main(sys.argv)
