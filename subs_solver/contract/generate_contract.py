#!/usr/bin/env python3
"""Reads the binary contract, entry_points.table beside this file, checks it, and writes
the code, the export lists and the integrator's kit that follow from it.

    generate_contract.py --target TARGET [--release VERSION] TABLE OUTPUT_DIR

TARGET is windows-32, linux-32 or linux-64: the platform names the exports, the pointer
width decides the calling convention. A fault in the table stops the build with
`entry_points.table:LINE: what is wrong`. OUTPUT_DIR belongs to the generator: every file
is rewritten only when its text changes, so that an unchanged table rebuilds nothing,
and a file that it no longer writes is removed. The table's head says what each kind of
line means.
"""

import argparse
import os
import re
import struct
import sys

TARGETS = ("windows-32", "linux-32", "linux-64")
# A routine number that the fast path takes: PAR(1) holds it as a double whose lower
# 32 bits are zero, so that the upper 32 bits alone name it. Every whole number of
# magnitude below 2^20 is such a double (1 implicit and 20 stored significand bits).
NUMBER_LIMIT = (1 << 20) - 1
# Table slots of a dispatcher's fast path: at most 2^MAX_SLOT_BITS.
MAX_SLOT_BITS = 6
REPORT_NAME_LENGTH = 6
INVALID_TEXT = "Error in dispatcher subroutine {}: Invalid PAR(1): "
UNSUPPLIED_TEXT = "Error in dispatcher subroutine {}: "
KIT_TEMPLATES = ("gyrix_solver.h.in", "gyrix_solver.f90.in")

NAME = r"([A-Za-z_][A-Za-z0-9_]*)"
NUMBER = r"(-?[0-9]+)"
LINE_FORMS = {
    "DISPATCHER": re.compile(rf"DISPATCHER\({NAME},([0-9]+),([0-9]+),{NAME}\)"),
    "ROUTE": re.compile(rf"ROUTE\({NAME},{NUMBER},{NAME}\)"),
    "UNSUPPLIED": re.compile(rf"UNSUPPLIED\({NAME},([0-9]+),{NAME}\)"),
    "STDCALL": re.compile(rf"STDCALL\({NAME},([0-9]+)\)"),
    "PLAIN": re.compile(rf"PLAIN\({NAME}\)"),
    "IMPORT": re.compile(rf"IMPORT\({NAME},{NAME}(?:,([0-9]+))?\)"),
}


class TableError(Exception):
    pass


class Entry:
    """A routine of the contract: an entry point, an element routine or an import.
    `words` is None for a plain C routine."""

    def __init__(self, kind, name, line, words=None, par_word=None, report_name=None):
        self.kind = kind
        self.name = name
        self.line = line
        self.words = words
        self.par_word = par_word  # 1 for the first word
        self.report_name = report_name
        self.routes = []  # (number, routine), in table order
        self.slots = None  # (shift, bits) of the fast path's table, or None: no fast path


class Contract:
    def __init__(self, entries, imports):
        self.entries = entries  # the entry points, in table order
        self.imports = imports  # {library: [Entry]}: what the library calls in others

    def of_kind(self, kind):
        return [entry for entry in self.entries if entry.kind == kind]

    def element_routines(self):
        """Every route's element routine, which takes its dispatcher's words."""
        return [Entry("ROUTE", routine, dispatcher.line, dispatcher.words)
                for dispatcher in self.of_kind("DISPATCHER") for _, routine in dispatcher.routes]


def read_table(path):
    entries, imports = [], {}
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
            name = fields[1] if kind == "IMPORT" else fields[0]
            if name in by_name or name in routines:
                fail(f"{name} again (first on line {by_name[name].line})"
                     if name in by_name else f"{name} is an element routine already")
            if kind == "DISPATCHER":
                entry = Entry(kind, name, number, int(fields[1]), int(fields[2]), fields[3])
                if not 1 <= entry.par_word <= entry.words:
                    fail(f"PAR word {entry.par_word} of {name}, which has {entry.words} words")
            elif kind == "UNSUPPLIED":
                entry = Entry(kind, name, number, int(fields[1]), None, fields[2])
            elif kind == "STDCALL":
                entry = Entry(kind, name, number, int(fields[1]))
            elif kind == "IMPORT":
                words = None if fields[2] is None else int(fields[2])
                entry = Entry(kind, name, number, words)
                imports.setdefault(fields[0], []).append(entry)
            else:
                entry = Entry(kind, name, number)
            if entry.report_name is not None and len(entry.report_name) != REPORT_NAME_LENGTH:
                fail(f"report name {entry.report_name} of {name} is not "
                     f"{REPORT_NAME_LENGTH} characters")
            if kind != "IMPORT":
                entries.append(entry)
            by_name[name] = entry
    for entry in entries:
        if entry.kind == "DISPATCHER":
            if not entry.routes:
                raise TableError(f"{where}:{entry.line}: dispatcher {entry.name} has no route")
            entry.slots = find_slots(entry)
    return Contract(entries, imports)


def upper_bits(number):
    """The upper 32 bits of the double `number`, a whole number of magnitude below 2^20."""
    return struct.unpack("<Q", struct.pack("<d", float(number)))[0] >> 32


def find_slots(dispatcher):
    """The smallest table, and in it the smallest shift, under which the routes' upper
    bits fall into distinct slots: slot = upper >> shift & (2^bits - 1). None when no
    table of at most 2^MAX_SLOT_BITS slots parts them."""
    uppers = [upper_bits(number) for number, _ in dispatcher.routes]
    for bits in range(MAX_SLOT_BITS + 1):
        if (1 << bits) < len(uppers):
            continue
        for shift in range(32 - bits + 1):
            slots = {upper >> shift & ((1 << bits) - 1) for upper in uppers}
            if len(slots) == len(uppers):
                return shift, bits
    return None


# Names as the platform exports them: the one place that decorates.


def link_name(name, words, target):
    """The routine's symbol to the linker: NAME@<4*WORDS> for a stdcall routine on
    32-bit Windows, else the plain name."""
    return name if words is None or target != "windows-32" else f"{name}@{4 * words}"


def exported_name(name, words, target):
    """The name in the export and import tables: _NAME@<4*WORDS> on 32-bit Windows for
    a stdcall routine, the plain name for a plain C routine and elsewhere."""
    linked = link_name(name, words, target)
    return linked if linked == name else f"_{linked}"


# Writing.


def source_line(comment):
    return (f"{comment} Written by subs_solver/contract/generate_contract.py from "
            f"entry_points.table: edit those, not this.\n")


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
    return in_lines([f"gyrix::Word {name}" for name in names], 6)


def report_texts(contract):
    forms = {"DISPATCHER": (INVALID_TEXT, "kInvalidTextLength"),
             "UNSUPPLIED": (UNSUPPLIED_TEXT, "kUnsuppliedTextLength")}
    body = []
    for entry in contract.entries:
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


def element_routines(contract):
    body = []
    for entry in contract.of_kind("DISPATCHER"):
        body.append(f"\n// {entry.name}'s routes.\n")
        body.extend(f"GYRIX_IMPORT void GYRIX_CALL {routine}({parameters(entry)});\n"
                    for _, routine in entry.routes)
    return cpp_file(
        "// The element routines of elemlib behind the dispatchers, one for each route. Each\n"
        "// takes its dispatcher's words, every word an address, PAR's named \"par\".\n"
        "#pragma once\n\n#include \"platform.h\"\n#include \"word_routine.h\"\n\n"
        "extern \"C\" {\n", body, "\n}  // extern \"C\"\n")


def general_path(entry, name, linkage):
    """PAR(1) converted as the host's compiler would, the routes tried in table order."""
    args = parameters(entry, with_types=False)
    out = [f"{linkage}void GYRIX_CALL {name}({parameters(entry)}) {{\n"
           f"  const int32_t number = gyrix::routine_number(par);\n"]
    out.extend(f"  if (number == {number}) return {routine}({args});\n"
               for number, routine in entry.routes)
    out.append(f"  gyrix::report_invalid_routine(gyrix::texts::k{entry.name}, number);\n}}\n")
    return out


def dispatcher_code(entry, target):
    name, words = entry.name, entry.words
    routes = ", ".join(f"{number} {routine}" for number, routine in entry.routes)
    if entry.slots is None:
        return "".join(
            [f"\n// {name}: {routes}.\n"
             f"// No shift and mask of PAR(1)'s upper bits parts these routes into at most "
             f"{1 << MAX_SLOT_BITS}\n"
             f"// slots: this dispatcher has the general path alone.\n\n"]
            + general_path(entry, name, "extern \"C\" "))
    shift, bits = entry.slots
    size = 1 << bits
    mask = size - 1
    args = parameters(entry, with_types=False)
    routine_type = f"gyrix::WordRoutine<{words}>"
    out = [f"\n// {name}: {routes}.\n\n"]
    for number, routine in entry.routes:
        slot_symbol = "__imp_" + exported_name(routine, words, target)
        out.append(f"GYRIX_ROUTINE_CELL({routine_type}, {routine}_cell, {routine}, "
                   f"\"{slot_symbol}\")\n")
    out.append(
        "\nnamespace {\n\n"
        "// The general path: PAR(1) converted as the host's compiler would, the routes tried\n"
        "// in table order, the match called, or the fatal report.\n[[gnu::noinline]]\n")
    out.extend(general_path(entry, f"{name}_converted", ""))
    out.append(f"constexpr {routine_type} {name}_converted_cell = {name}_converted;\n\n")
    by_slot = {}
    for number, routine in entry.routes:
        by_slot[upper_bits(number) >> shift & mask] = (number, routine)
    patterns, routes = [], []
    for slot in range(size):
        if slot in by_slot:
            number, routine = by_slot[slot]
            patterns.append(f"gyrix::slot_bits(0x{upper_bits(number):08X}'00000000u),  // {number}")
            routes.append(f"gyrix::route_entry({routine}_cell),")
        else:
            # No route: a pattern whose own slot is another, so that it never matches.
            patterns.append(f"gyrix::slot_bits(0x{((slot + 1) & mask) << shift:08X}'00000000u),"
                            "  // no route")
            routes.append(f"gyrix::route_entry({name}_converted_cell),")
    # The general path's entry once more for every slot: PAR(1) without its slot's bits
    # moves on by `size` (a branch-free choice for GCC, one jump through the table for
    # clang). One object, so that position-independent code computes one address.
    routes += [f"gyrix::route_entry({name}_converted_cell),"] * size
    out.append(f"// The fast path's table: PAR(1)'s bits, shifted right by {32 + shift} and masked with\n"
               f"// {mask}, pick a slot; a route's number exactly has the slot's bits. Then each\n"
               f"// slot's route, and the general path's, {size} on.\n"
               f"constexpr struct {{\n"
               f"  gyrix::SlotBits bits[{size}];\n"
               f"  gyrix::RouteEntry<{routine_type}> routes[{2 * size}];\n"
               f"}} {name}_table = {{\n    {{\n")
    out.extend(f"        {line}\n" for line in patterns)
    out.append("    },\n    {\n")
    out.extend(f"        {line}\n" for line in routes)
    out.append("    },\n};\n\n}  // namespace\n\n")
    out.append(
        f"extern \"C\" void GYRIX_CALL {name}({parameters(entry)}) {{\n"
        f"  uint64_t bits;\n"
        f"  std::memcpy(&bits, par, sizeof bits);\n")
    if size == 1:
        # One route: a choice of two constant entries, which compilers make without the
        # table's index.
        out.append(
            f"  auto route = {name}_table.routes[1];\n"
            f"  if (__builtin_expect(gyrix::same_bits(bits, {name}_table.bits[0]), true)) {{\n"
            f"    route = {name}_table.routes[0];\n"
            f"  }}\n"
            f"  gyrix::routine_of(route)({args});\n}}\n")
    else:
        out.append(
            f"  std::size_t slot = static_cast<std::size_t>(bits >> {32 + shift} & {mask});\n"
            f"  if (__builtin_expect(!gyrix::same_bits(bits, {name}_table.bits[slot]), false)) {{\n"
            f"    slot += {size};\n"
            f"  }}\n"
            f"  gyrix::routine_of({name}_table.routes[slot])({args});\n}}\n")
    return "".join(out)


def dispatchers(contract, target):
    return cpp_file(
        "// The dispatchers: each reads PAR(1)'s 64 bits through its PAR word and nothing else,\n"
        "// and passes its words on, unchanged, to the element routine that PAR(1) selects.\n"
        "//  - Fast path, PAR(1) a route's number exactly (lower 32 bits zero): a shift and a\n"
        "//    mask of its bits pick a slot of a constant table; if the slot's bits are\n"
        "//    PAR(1)'s, the slot's route entry is taken (the likely side, laid out first).\n"
        "//    No conversion, no flag raised.\n"
        "//  - Anything else goes to the general path, through its cell, whose entry the\n"
        "//    table holds for every slot.\n"
        "// Either way one call through the entry chosen, which the compiler makes a jump that\n"
        "// leaves the words where they lie. A route entry is the address of the routine's\n"
        "// import-table slot on Windows, the routine's own address elsewhere (platform.h). A\n"
        "// dispatcher whose routes no table of the fast path parts has the general path\n"
        "// alone, and says so.\n"
        "#include <cstddef>\n#include <cstdint>\n#include <cstring>\n\n"
        "#include \"contract/element_routines.h\"\n#include \"contract/report_texts.h\"\n"
        "#include \"dispatch/fatal_report.h\"\n#include \"dispatch/routine_number.h\"\n",
        (dispatcher_code(entry, target) for entry in contract.of_kind("DISPATCHER")), "")


def unsupplied(contract):
    return cpp_file(
        "// The entry points without routines: every call ends the run with a report naming\n"
        "// the entry point. The words are never read.\n"
        "#include \"contract/report_texts.h\"\n#include \"dispatch/fatal_report.h\"\n"
        "#include \"platform.h\"\n#include \"word_routine.h\"\n\nextern \"C\" {\n\n",
        (f"void GYRIX_CALL {entry.name}({in_lines(['gyrix::Word'] * entry.words, 8)}) {{\n"
         f"  gyrix::report_unsupplied(gyrix::texts::k{entry.name});\n}}\n"
         for entry in contract.of_kind("UNSUPPLIED")),
        "\n}  // extern \"C\"\n")


def elemlib_routines(contract):
    body = []
    for entry in contract.of_kind("DISPATCHER"):
        body.append("\n")
        body.extend(f"void GYRIX_CALL {routine}({parameters(entry)}) {{\n"
                    f"  const void* words[] = {{{parameters(entry, with_types=False)}}};\n"
                    f"  record_call(\"{routine}\", words, {entry.words}, {entry.par_word});\n"
                    f"}}\n" for _, routine in entry.routes)
    return cpp_file(
        "// The stand-in element routines: each journals the words it receives (record_call,\n"
        "// elemlib.cpp) and reads nothing but PAR(1).\n"
        "#include \"contract/element_routines.h\"\n#include \"elemlib.h\"\n\nextern \"C\" {\n",
        body, "\n}  // extern \"C\"\n")


def harness_entry_points(contract, target):
    listed = [e for e in contract.entries if e.kind in ("DISPATCHER", "UNSUPPLIED")]
    others = [e for e in contract.entries if e.kind in ("STDCALL", "PLAIN")]
    others += [e for library in contract.imports.values() for e in library]
    others += contract.element_routines()
    routes = [(e.name, number, routine) for e in listed for number, routine in e.routes]
    out = [source_line("//"),
           "// The routines of the contract as the host knows them: by the names that they are\n"
           "// exported under on this platform. The tests, the fuzz model and the benchmarks take\n"
           "// the entry points, their words, report names and routes from here.\n",
           "#pragma once\n\n#include <array>\n#include <cstddef>\n#include <cstdint>\n"
           "#include <optional>\n#include <string_view>\n\n",
           "namespace harness {\n\n",
           "struct EntryPoint {\n  std::string_view name;\n"
           "  std::string_view exported;     // the name in the export table\n"
           "  int words;                     // argument words\n"
           "  std::optional<int> par_word;   // a dispatcher's PAR address's word, 1 for the first\n"
           "  std::string_view report_name;  // the name its fatal report gives\n"
           "  std::size_t first_route;       // a dispatcher's routes: kRoutes[first_route], ...\n"
           "  std::size_t route_count;       // in the table's order\n};\n\n",
           "struct Route {\n  const char* dispatcher;\n  int32_t number;       // PAR(1), truncated\n"
           "  const char* routine;  // elemlib's routine, which takes the dispatcher's words\n};\n\n",
           "// The dispatchers and the entry points without routines, in the table's order.\n",
           f"inline constexpr std::array<EntryPoint, {len(listed)}> kUserSubroutines{{{{\n"]
    first = 0
    for entry in listed:
        par = entry.par_word if entry.kind == "DISPATCHER" else "std::nullopt"
        out.append(f"    {{\"{entry.name}\", \"{exported_name(entry.name, entry.words, target)}\", "
                   f"{entry.words}, {par}, \"{entry.report_name}\", {first}, {len(entry.routes)}}},\n")
        first += len(entry.routes)
    out.append("}};\n\n// The routes, each dispatcher's in the order they are tried.\n"
               f"inline constexpr std::array<Route, {len(routes)}> kRoutes{{{{\n")
    out.extend(f"    {{\"{dispatcher}\", {number}, \"{routine}\"}},\n"
               for dispatcher, number, routine in routes)
    out.append("}};\n\n// The other entry points, the element routines and what the library imports:\n"
               "// each name, then the name it is exported under.\n"
               f"inline constexpr std::array<std::array<std::string_view, 2>, {len(others)}> "
               "kOtherRoutines{{\n")
    out.extend(f"    {{\"{e.name}\", \"{exported_name(e.name, e.words, target)}\"}},\n"
               for e in others)
    out.append("}};\n\n"
               "// The user-subroutine entry point of that name, or a null pointer.\n"
               "inline const EntryPoint* find_user_subroutine(std::string_view name) {\n"
               "  for (const EntryPoint& entry : kUserSubroutines) {\n"
               "    if (entry.name == name) return &entry;\n  }\n  return nullptr;\n}\n\n"
               "// The name under which a routine of the contract is exported; `name` itself\n"
               "// for one that the contract does not know.\n"
               "inline std::string_view name_in_export_table(std::string_view name) {\n"
               "  if (const EntryPoint* entry = find_user_subroutine(name)) return entry->exported;\n"
               "  for (const auto& [routine, exported] : kOtherRoutines) {\n"
               "    if (routine == name) return exported;\n  }\n  return name;\n}\n\n"
               "}  // namespace harness\n")
    return "".join(out)


def kit_declarations(contract, target):
    """The user-subroutine entry points in C and in Fortran, for the kit's templates."""
    c, fortran = [], []
    stdcall = target.endswith("-32")
    for entry in contract.entries:
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
        if stdcall:
            text += f"      !GCC$ ATTRIBUTES STDCALL :: {lower}\n"
        if host_words:
            text += (f"      !GCC$ ATTRIBUTES NO_ARG_CHECK :: {host_words}\n"
                     f"      type(*), dimension(*) :: {host_words}\n")
        if has_par:
            text += "      real(c_double), dimension(*) :: par\n"
        text += f"    end subroutine {lower}\n\n"
        fortran.append(text)
    return "".join(c), "".join(fortran)


def kit_files(contract, templates, target, release):
    """The header and the Fortran module: the templates, which declare the entry points
    whose types the table does not give, with the user subroutines' declarations and
    the release filled in. stdcall exists on 32-bit x86 alone; elsewhere the module
    names no calling convention (gfortran would warn at each call)."""
    c, fortran = kit_declarations(contract, target)
    fills = {"gyrix_solver.h.in": c, "gyrix_solver.f90.in": fortran}
    spellings = {"gyrix_solver.h.in": "{}(", "gyrix_solver.f90.in": "name='{}'"}
    files = {}
    for template in KIT_TEMPLATES:
        with open(os.path.join(templates, template), encoding="utf-8") as text:
            declared = text.read()
        for entry in contract.entries:
            if entry.kind in ("STDCALL", "PLAIN") and spellings[template].format(entry.name) not in declared:
                raise TableError(f"{template}: no declaration of {entry.name}, an entry point "
                                 f"of the contract (line {entry.line}): add it there")
        if "@DECLARATIONS@" not in declared:
            raise TableError(f"{template}: no @DECLARATIONS@ line for the user subroutines")
        text = declared.replace("@DECLARATIONS@", fills[template]).replace("@RELEASE@", release)
        if not target.endswith("-32"):
            text = "".join(line for line in text.splitlines(keepends=True)
                           if "!GCC$ ATTRIBUTES STDCALL ::" not in line)
        files["kit/" + template[:-len(".in")]] = text
    return files


def export_files(contract, target):
    """Each library's export files, finished: on 32-bit Windows the module definition that
    the link reads (exports/NAME.def), the one from which dlltool makes the import library
    (exports/NAME_imports.def: only "NAME@N == _NAME@N" lines give an import table that
    names the decorated exports) and, for the library, the MSVC-style one from which
    lld-link makes gyrix_solver.lib; elsewhere the version script (exports/NAME.map). The
    libraries: gyrix_solver, each library beside it as its stand-in exports what the
    library imports (elemlib with every route's element routine), and for the tests an
    elemlib that lacks the first of those."""
    routes = contract.element_routines()
    libraries = {"gyrix_solver": contract.entries}
    for library, routines in contract.imports.items():
        libraries[library] = list(routines)
    libraries.setdefault("elemlib", []).extend(routes)
    libraries["elemlib_lacking"] = [r for r in libraries["elemlib"] if r is not routes[0]]
    files = {}
    for library, routines in libraries.items():
        names = [(link_name(r.name, r.words, target), exported_name(r.name, r.words, target))
                 for r in routines]
        if target != "windows-32":
            files[f"exports/{library}.map"] = (
                "/* " + source_line("")[1:-1] + " */\n{\n  global:\n"
                + "".join(f"    {linked};\n" for linked, _ in names) + "  local: *;\n};\n")
            continue
        head = source_line(";") + f'LIBRARY "{library}.dll"\nEXPORTS\n'
        files[f"exports/{library}.def"] = head + "".join(
            f"  {exported}\n" if linked == exported else f"  {exported} = {linked}\n"
            for linked, exported in names)
        files[f"exports/{library}_imports.def"] = head + "".join(
            f"  {exported}\n" if linked == exported else f"  {linked} == {exported}\n"
            for linked, exported in names)
        if library == "gyrix_solver":
            files["exports/gyrix_solver_msvc.def"] = head + "".join(
                f"  {exported}\n" for _, exported in names)
    return files


def cmake_facts(contract, target):
    """What the build's tests take from the table: the number of user subroutines, and the
    element routine that the tests' lacking elemlib lacks, by its exported name."""
    listed = [e for e in contract.entries if e.kind in ("DISPATCHER", "UNSUPPLIED")]
    lacking = contract.element_routines()[0]
    return (source_line("#")
            + f"set(GYRIX_USER_SUBROUTINE_COUNT {len(listed)})\n"
            + f"set(GYRIX_LACKING_ROUTINE {exported_name(lacking.name, lacking.words, target)})\n")


def write_output(output, files):
    """Writes `files` (relative path: text) into `output`, each only when its text
    changes, and removes every other file there: the folder holds what this run wrote."""
    for relative, text in files.items():
        path = os.path.join(output, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        try:
            with open(path, encoding="utf-8") as existing:
                if existing.read() == text:
                    continue
        except FileNotFoundError:
            pass
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
    written = {os.path.normpath(relative) for relative in files}
    for folder, _, names in os.walk(output):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.relpath(path, output) not in written:
                os.remove(path)


def main(argv):
    parser = argparse.ArgumentParser(prog="generate_contract.py",
                                     description="Writes what follows from the contract table.")
    parser.add_argument("--target", required=True, choices=TARGETS)
    parser.add_argument("--release", default="0.0.0", help="the release version, for the kit")
    parser.add_argument("table")
    parser.add_argument("output")
    options = parser.parse_args(argv[1:])
    target = options.target
    try:
        contract = read_table(options.table)
        files = kit_files(contract, os.path.dirname(os.path.abspath(options.table)), target,
                          options.release)
    except TableError as error:
        sys.exit(str(error))
    files.update({
        "contract/report_texts.h": report_texts(contract),
        "contract/element_routines.h": element_routines(contract),
        "contract/dispatchers.cpp": dispatchers(contract, target),
        "contract/unsupplied.cpp": unsupplied(contract),
        "standins/elemlib_routines.cpp": elemlib_routines(contract),
        "harness/entry_points.h": harness_entry_points(contract, target),
        "tests.cmake": cmake_facts(contract, target),
    })
    files.update(export_files(contract, target))
    write_output(options.output, files)


if __name__ == "__main__":
    main(sys.argv)
