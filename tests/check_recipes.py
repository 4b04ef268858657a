#!/usr/bin/env python3
"""Follows the recipes of docs/architecture.md on a copy of the tree, each step as the
page gives it and nothing else, and runs the copy's tests: a new route, a new entry point
without routines, a new dispatcher of two routes and a new import, all four in one copy,
built with one preset. The transcripts that the recipes write again are written with
`gyrix-host run --output`, as a maintainer does before reading what changed. Run by
CTest (recipes, the release preset); prints what each stage took.

    check_recipes.py SOURCE_TREE WORK_FOLDER PRESET
"""

import os
import shutil
import subprocess
import sys
import time

# (file, the line after which the new lines go, the new lines): the recipes' steps.
TABLE = "subs_solver/contract/entry_points.table"
STEPS = [
    # Adding a route.
    (TABLE, "ROUTE(SFOSUB, 901, SFO901)", ["ROUTE(SFOSUB, 950, SFO950)"]),
    ("examples/routes.session", "call SFOSUB 901", ["call SFOSUB 950"]),
    # Adding an entry point without routines.
    (TABLE, "UNSUPPLIED(CFFSUB, 13, cffSUB)", ["UNSUPPLIED(XYZSUB, 9, xyzSUB)"]),
    ("examples/unsupplied.session", "call CFFSUB 901", ["call XYZSUB 901"]),
    # A new dispatcher of two routes.
    (TABLE, "ROUTE(VARSUB, 1117, VAR1117)",
     ["", "DISPATCHER(NEWSUB, 5, 2, newSUB)", "ROUTE(NEWSUB, 930, NEW930)",
      "ROUTE(NEWSUB, 931, NEW931)"]),
    ("examples/routes.session", "call SFOSUB 950", ["call NEWSUB 930", "call NEWSUB 931"]),
    # Adding an import: its line, its declaration and the library's call, the stand-in.
    (TABLE, "IMPORT(hostutil, USRMES, 6)", ["IMPORT(hostutil, USRNEW, 0)"]),
    ("subs_solver/host/host_services.h", "}  // extern \"C\"",
     ["// hostutil: a service that the recipes' check adds.", "void GYRIX_CALL USRNEW();"]),
    ("subs_solver/init/version_report.cpp", "#include \"init/build_records.h\"",
     ["#include \"host/host_services.h\""]),
    ("subs_solver/init/version_report.cpp", "  printf(\"\\n\");", ["  USRNEW();"]),
    ("standins/hostutil/hostutil.cpp", "extern \"C\" {", ["void GYRIX_CALL USRNEW() {}"]),
]
TRANSCRIPTS = ("routes", "unsupplied", "identification")


def copy_tree(source, copy):
    listed = subprocess.run(["git", "ls-files"], cwd=source, capture_output=True, text=True,
                            check=False)
    if listed.returncode != 0 or not listed.stdout:
        shutil.copytree(source, copy, ignore=shutil.ignore_patterns("build", ".git"))
        return
    for relative in listed.stdout.split():
        if os.path.exists(os.path.join(source, relative)):
            os.makedirs(os.path.dirname(os.path.join(copy, relative)), exist_ok=True)
            shutil.copy2(os.path.join(source, relative), os.path.join(copy, relative))


def follow(copy):
    for relative, after, lines in STEPS:
        path = os.path.join(copy, relative)
        with open(path, encoding="utf-8") as text:
            old = text.read().split("\n")
        if after not in old:
            sys.exit(f"{relative}: no line {after!r}: the recipe's step no longer fits the tree")
        at = old.index(after)
        if relative.endswith(".h"):  # a declaration goes before the closing line
            old[at:at] = lines
        else:
            old[at + 1:at + 1] = lines
        with open(path, "w", encoding="utf-8") as text:
            text.write("\n".join(old))


def run(stage, command, cwd):
    started = time.monotonic()
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=False)
    print(f"{stage}: {time.monotonic() - started:.0f} s")
    if done.returncode != 0:
        print(done.stdout[-20000:] + done.stderr[-5000:])
        sys.exit(f"{stage} failed ({done.returncode}): {' '.join(command)}")


def main(source, work, preset):
    copy = os.path.join(work, "tree")
    shutil.rmtree(work, ignore_errors=True)
    copy_tree(source, copy)
    follow(copy)
    run("configure", ["cmake", "--preset", preset], copy)
    run("build", ["cmake", "--build", "--preset", preset, "--parallel", "2"], copy)
    host = os.path.join(copy, "build", preset, "bin", "gyrix-host")
    for name in TRANSCRIPTS:
        session = os.path.join(copy, "examples", name)
        run(f"write {name}.transcript",
            [host, "run", session + ".session", "--output", session + ".transcript"], copy)
    # Not this check again, nor the build from another folder (Windows only).
    run("the copy's tests", ["ctest", "--preset", preset, "--parallel", "2", "-E", "^recipes$"],
        copy)
    shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main(*(os.path.abspath(a) for a in sys.argv[1:3]), sys.argv[3]))
