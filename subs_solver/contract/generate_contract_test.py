#!/usr/bin/env python3
"""The generator's checks of the contract table and of the kit's templates: each fault
stops it with the file's name, the line and what is wrong; a sound table passes; the
fast path's slots part every dispatcher's routes within their bounds, and a table that
no slots part still builds, with the general path alone; the output folder holds only
what the last run wrote. Run by CTest (contract_generator)."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate_contract  # noqa: E402

GENERATOR = os.path.join(HERE, "generate_contract.py")
TABLE = os.path.join(HERE, "entry_points.table")

SOUND = "DISPATCHER(CONSUB, 2, 1, conSUB)\nROUTE(CONSUB, 900, CON900)\n"

# (what, lines after SOUND, expected message: line 3 is the first added line)
FAULTS = [
    ("malformed line", "ROUTE(CONSUB, 901)\n", "t.table:3: not a line of the contract"),
    ("unknown kind", "ENTRY(X, 1)\n", "t.table:3: not a line of the contract"),
    ("repeated entry point", "UNSUPPLIED(CONSUB, 7, braSUB)\n",
     "t.table:3: CONSUB again (first on line 1)"),
    ("entry point named as a routine", "STDCALL(CON900, 2)\n",
     "t.table:3: CON900 is an element routine already"),
    ("import named again", "IMPORT(hostutil, ERRMES, 6)\nIMPORT(other, ERRMES, 6)\n",
     "t.table:4: ERRMES again (first on line 3)"),
    ("repeated routine number", "ROUTE(CONSUB, 900, CON900B)\n",
     "t.table:3: routine number 900 of CONSUB again (it selects CON900 already)"),
    ("repeated element routine", "ROUTE(CONSUB, 901, CON900)\n", "t.table:3: CON900 named again"),
    ("entry point as a routine", "ROUTE(CONSUB, 901, CONSUB)\n", "t.table:3: CONSUB named again"),
    ("PAR word beyond the words", "DISPATCHER(DIFSUB, 7, 8, difSUB)\nROUTE(DIFSUB, 1, D1)\n",
     "t.table:3: PAR word 8 of DIFSUB, which has 7 words"),
    ("PAR word zero", "DISPATCHER(DIFSUB, 7, 0, difSUB)\nROUTE(DIFSUB, 1, D1)\n",
     "t.table:3: PAR word 0 of DIFSUB"),
    ("report name too long", "UNSUPPLIED(BRASUB, 7, braSUBX)\n",
     "t.table:3: report name braSUBX of BRASUB is not 6 characters"),
    ("report name too short", "DISPATCHER(DIFSUB, 7, 3, dif)\nROUTE(DIFSUB, 1, D1)\n",
     "t.table:3: report name dif of DIFSUB is not 6 characters"),
    ("routine number above the range", "ROUTE(CONSUB, 1048576, CONBIG)\n",
     "t.table:3: routine number 1048576 lies outside -1048575 .. 1048575"),
    ("routine number below the range", "ROUTE(CONSUB, -1048576, CONLOW)\n",
     "t.table:3: routine number -1048576 lies outside"),
    ("route before its dispatcher", "ROUTE(DIFSUB, 1, D1)\n",
     "t.table:3: a route of DIFSUB, which is no dispatcher declared above it"),
    ("route of another kind", "UNSUPPLIED(BRASUB, 7, braSUB)\nROUTE(BRASUB, 1, B1)\n",
     "t.table:4: a route of BRASUB, which is no dispatcher"),
    ("dispatcher without routes", "DISPATCHER(DIFSUB, 7, 3, difSUB)\n",
     "t.table:3: dispatcher DIFSUB has no route"),
]

KIT = {"gyrix_solver.h.in": "@DECLARATIONS@\nvoid F(void);\ndouble P(void);\n",
       "gyrix_solver.f90.in": "@DECLARATIONS@\n name='F'\n name='P'\n"}
# (what, template, its text, expected message)
TEMPLATE_FAULTS = [
    ("header lacks a stdcall entry point", "gyrix_solver.h.in", "@DECLARATIONS@\nP(\n",
     "gyrix_solver.h.in: no declaration of F, an entry point of the contract (line 3)"),
    ("module lacks a plain routine", "gyrix_solver.f90.in", "@DECLARATIONS@\nname='F'\n",
     "gyrix_solver.f90.in: no declaration of P, an entry point of the contract (line 4)"),
    ("no place for the user subroutines", "gyrix_solver.h.in", "F(\nP(\n",
     "gyrix_solver.h.in: no @DECLARATIONS@ line"),
]


def generate(folder, table_text, kit=KIT, target="linux-64"):
    """Runs the generator on `table_text` with the kit templates `kit`, as the build
    does; the table and templates lie in `folder`, the output in folder/out."""
    for template, text in kit.items():
        with open(os.path.join(folder, template), "w") as out:
            out.write(text)
    table = os.path.join(folder, "t.table")
    with open(table, "w") as out:
        out.write(table_text)
    return subprocess.run([sys.executable, GENERATOR, "--target", target, table,
                           os.path.join(folder, "out")], capture_output=True, text=True)


def routes_table(numbers):
    return "DISPATCHER(CONSUB, 2, 1, conSUB)\n" + "".join(
        f"ROUTE(CONSUB, {number}, R{index})\n" for index, number in enumerate(numbers))


class Faults(unittest.TestCase):
    def test_each_fault_of_the_table_names_the_line(self):
        with tempfile.TemporaryDirectory() as folder:
            table = os.path.join(folder, "t.table")
            for what, lines, expected in FAULTS:
                with self.subTest(what):
                    with open(table, "w") as out:
                        out.write(SOUND + lines)
                    with self.assertRaises(generate_contract.TableError) as fault:
                        generate_contract.read_table(table)
                    self.assertIn(expected, str(fault.exception))

    def test_each_fault_of_a_template_names_the_template(self):
        table = SOUND + "STDCALL(F, 0)\nPLAIN(P)\n"
        for what, template, text, expected in TEMPLATE_FAULTS:
            with self.subTest(what), tempfile.TemporaryDirectory() as folder:
                result = generate(folder, table, {**KIT, template: text})
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(expected, result.stderr)
                self.assertFalse(os.path.exists(os.path.join(folder, "out")))

    def test_a_fault_stops_the_generator(self):
        with tempfile.TemporaryDirectory() as folder:
            result = generate(folder, SOUND + FAULTS[0][1])
        self.assertEqual(result.returncode, 1)
        self.assertIn(FAULTS[0][2], result.stderr)

    def test_usage(self):
        for what, arguments in [("no arguments", []), ("no target", ["t.table", "out"]),
                                ("unknown target", ["--target", "win64", "t.table", "out"]),
                                ("no output", ["--target", "linux-64", "t.table"])]:
            with self.subTest(what):
                result = subprocess.run([sys.executable, GENERATOR, *arguments],
                                        capture_output=True, text=True)
                self.assertEqual(result.returncode, 2)
                self.assertIn("usage: generate_contract.py [-h] --target", result.stderr)

    def test_sound_table_passes(self):
        with tempfile.TemporaryDirectory() as folder:
            result = generate(folder, SOUND + "ROUTE(CONSUB, -1048575, CONLOW)\n"
                              "ROUTE(CONSUB, 1048575, CONHIGH)\nROUTE(CONSUB, 0, CON0)\n")
        self.assertEqual(result.returncode, 0, result.stderr)


class Slots(unittest.TestCase):
    def test_every_dispatcher_of_the_table_has_slots_that_part_its_routes(self):
        contract = generate_contract.read_table(TABLE)
        for entry in contract.of_kind("DISPATCHER"):
            self.assertIsNotNone(entry.slots, entry.name)
            shift, bits = entry.slots
            slots = [generate_contract.upper_bits(number) >> shift & ((1 << bits) - 1)
                     for number, _ in entry.routes]
            self.assertEqual(len(set(slots)), len(slots), entry.name)

    def test_bounds_of_the_slots(self):
        # 1024 + 16k: the upper bits' top six significand bits are k.
        sixty_four = [1024 + 16 * k for k in range(64)]
        for what, numbers, slots in [
                ("one route, one slot", [901], (0, 0)),
                ("the sign bit alone, the highest shift", [5, -5], (31, 1)),
                ("sixty-four routes fill the largest table", sixty_four, (14, 6)),
                ("more routes than the largest table has slots", sixty_four + [4000], None),
                ("whole numbers 1 to 20", range(1, 21), None)]:
            with self.subTest(what), tempfile.TemporaryDirectory() as folder:
                table = os.path.join(folder, "t.table")
                with open(table, "w") as out:
                    out.write(routes_table(numbers))
                entry = generate_contract.read_table(table).of_kind("DISPATCHER")[0]
                self.assertEqual(entry.slots, slots)

    def test_upper_bits_of_whole_numbers(self):
        for number, upper in [(0, 0), (900, 0x408C2000), (910, 0x408C7000), (-1, 0xBFF00000)]:
            self.assertEqual(generate_contract.upper_bits(number), upper, number)


class Output(unittest.TestCase):
    def test_a_table_without_slots_builds_with_the_general_path_alone(self):
        with tempfile.TemporaryDirectory() as folder:
            result = generate(folder, routes_table(range(1, 21)) + SOUND.replace("CON", "VAR"))
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(folder, "out", "contract", "dispatchers.cpp")) as code:
                text = code.read()
        consub, varsub = text.split("// VARSUB:")
        self.assertIn("this dispatcher has the general path alone", consub)
        self.assertNotIn("CONSUB_table", consub)
        self.assertIn("if (number == 20) return R19(par, w2);", consub)
        self.assertNotIn("general path alone", varsub)
        self.assertIn("VARSUB_table", varsub)

    def test_the_output_folder_holds_what_the_last_run_wrote(self):
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(generate(folder, SOUND).returncode, 0)
            out = os.path.join(folder, "out")
            stale = os.path.join(out, "contract", "renamed.cpp")
            with open(stale, "w") as text:
                text.write("// written by an older generator\n")
            kept = os.path.join(out, "contract", "dispatchers.cpp")
            os.utime(kept, (0, 0))
            self.assertEqual(generate(folder, SOUND).returncode, 0)
            self.assertFalse(os.path.exists(stale))
            self.assertEqual(os.stat(kept).st_mtime, 0, "an unchanged file is not rewritten")
            self.assertEqual(generate(folder, SOUND + "ROUTE(CONSUB, 1, CON1)\n").returncode, 0)
            self.assertNotEqual(os.stat(kept).st_mtime, 0, "a changed file is rewritten")

    def test_names_as_each_target_exports_them(self):
        # (target, export file, its lines for CONSUB of 2 words and the plain routine P)
        for target, file, lines in [
                ("windows-32", "gyrix_solver.def", "  _CONSUB@8 = CONSUB@8\n  P\n"),
                ("windows-32", "gyrix_solver_imports.def", "  CONSUB@8 == _CONSUB@8\n  P\n"),
                ("windows-32", "gyrix_solver_msvc.def", "EXPORTS\n  _CONSUB@8\n  P\n"),
                ("windows-32", "elemlib.def", "  _CON900@8 = CON900@8\n"),
                ("linux-32", "gyrix_solver.map", "  global:\n    CONSUB;\n    P;\n  local: *;"),
                ("linux-64", "elemlib.map", "  global:\n    CON900;\n  local: *;")]:
            with self.subTest(f"{target} {file}"), tempfile.TemporaryDirectory() as folder:
                self.assertEqual(generate(folder, SOUND + "PLAIN(P)\n", target=target).returncode, 0)
                with open(os.path.join(folder, "out", "exports", file)) as exports:
                    self.assertIn(lines, exports.read())

if __name__ == "__main__":
    unittest.main()
