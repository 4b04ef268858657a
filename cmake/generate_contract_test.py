#!/usr/bin/env python3
"""The generator's checks of the contract table: each fault stops it with the table's
name, the line and what is wrong; a sound table passes, and its fast-path slots part
every dispatcher's routes. Run by CTest (contract_generator)."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate_contract  # noqa: E402

GENERATOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "generate_contract.py")
TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "subs_solver",
                     "entry_points.def")

SOUND = "DISPATCHER(CONSUB, 2, 1, conSUB)\nROUTE(CONSUB, 900, CON900)\n"

# (what, lines after SOUND, expected message: line 3 is the first added line)
FAULTS = [
    ("malformed line", "ROUTE(CONSUB, 901)\n", "entry_points.def:3: not a line of the contract"),
    ("unknown kind", "ENTRY(X, 1)\n", "entry_points.def:3: not a line of the contract"),
    ("repeated entry point", "UNSUPPLIED(CONSUB, 7, braSUB)\n",
     "entry_points.def:3: entry point CONSUB again (first on line 1)"),
    ("repeated routine number", "ROUTE(CONSUB, 900, CON900B)\n",
     "entry_points.def:3: routine number 900 of CONSUB again (it selects CON900 already)"),
    ("repeated element routine", "ROUTE(CONSUB, 901, CON900)\n",
     "entry_points.def:3: CON900 named again"),
    ("PAR word beyond the words", "DISPATCHER(DIFSUB, 7, 8, difSUB)\nROUTE(DIFSUB, 1, D1)\n",
     "entry_points.def:3: PAR word 8 of DIFSUB, which has 7 words"),
    ("PAR word zero", "DISPATCHER(DIFSUB, 7, 0, difSUB)\nROUTE(DIFSUB, 1, D1)\n",
     "entry_points.def:3: PAR word 0 of DIFSUB"),
    ("report name too long", "UNSUPPLIED(BRASUB, 7, braSUBX)\n",
     "entry_points.def:3: report name braSUBX of BRASUB is not 6 characters"),
    ("report name too short", "DISPATCHER(DIFSUB, 7, 3, dif)\nROUTE(DIFSUB, 1, D1)\n",
     "entry_points.def:3: report name dif of DIFSUB is not 6 characters"),
    ("routine number beyond the fast path", "ROUTE(CONSUB, 1048576, CONBIG)\n",
     "entry_points.def:3: routine number 1048576 lies outside -1048575 .. 1048575"),
    ("route before its dispatcher", "ROUTE(DIFSUB, 1, D1)\n",
     "entry_points.def:3: a route of DIFSUB, which is no dispatcher declared above it"),
    ("dispatcher without routes", "DISPATCHER(DIFSUB, 7, 3, difSUB)\n",
     "entry_points.def:3: dispatcher DIFSUB has no route"),
]


def run_generator(table_text):
    with tempfile.TemporaryDirectory() as folder:
        os.makedirs(os.path.join(folder, "kit"))
        for template in ("gyrix_solver.h.in", "gyrix_solver.f90.in"):
            open(os.path.join(folder, "kit", template), "w").close()
        table = os.path.join(folder, "entry_points.def")
        with open(table, "w") as out:
            out.write(table_text)
        return subprocess.run([sys.executable, GENERATOR, table, os.path.join(folder, "out")],
                              capture_output=True, text=True)


class Faults(unittest.TestCase):
    def test_each_fault_names_the_table_and_line(self):
        with tempfile.TemporaryDirectory() as folder:
            table = os.path.join(folder, "entry_points.def")
            for what, lines, expected in FAULTS:
                with self.subTest(what):
                    with open(table, "w") as out:
                        out.write(SOUND + lines)
                    with self.assertRaises(generate_contract.TableError) as fault:
                        generate_contract.read_table(table)
                    self.assertIn(expected, str(fault.exception))

    def test_a_fault_stops_the_generator(self):
        result = run_generator(SOUND + FAULTS[0][1])
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(FAULTS[0][2], result.stderr)

    def test_sound_table_passes(self):
        result = run_generator(SOUND + "ROUTE(CONSUB, -1048575, CONLOW)\nROUTE(CONSUB, 0, CON0)\n")
        self.assertEqual(result.returncode, 0, result.stderr)


class Slots(unittest.TestCase):
    def test_every_dispatcher_of_the_table_parts_its_routes(self):
        table = generate_contract.read_table(TABLE)
        for entry in generate_contract.of_kind(table, "DISPATCHER"):
            shift, bits = entry.slots
            slots = [generate_contract.upper_bits(number) >> shift & ((1 << bits) - 1)
                     for number, _ in entry.routes]
            self.assertEqual(len(set(slots)), len(slots), entry.name)

    def test_upper_bits_of_whole_numbers(self):
        for number, upper in [(0, 0), (900, 0x408C2000), (910, 0x408C7000), (-1, 0xBFF00000)]:
            self.assertEqual(generate_contract.upper_bits(number), upper, number)


if __name__ == "__main__":
    unittest.main()
