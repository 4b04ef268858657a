#!/usr/bin/env python3
"""Checks that what the documents cite exists: every file path in backticks or in a
link, and every CTest test named ("CTest `NAME`", `ctest ... -R NAME`), in the READMEs
and the pages under docs/. A path may name a file of the tree (from the top, from the
page's folder, or as the end of a path in the tree), a file that the generator writes
(`generated/...`, `build/<preset>/generated/...`), or a folder; other build-tree paths
(`build/...`), the installed package's (`bin/...`, `lib/...`, `include/...`) and
placeholders (`NAME`, `<preset>`) are not checked. A CTest name must be
one that a CMake file of the tree adds. Run by CTest (docs); prints each fault with its
page and line, exits 1 on any.

    check_docs.py SOURCE_TREE
"""

import json
import os
import re
import subprocess
import sys
import tempfile

PAGES = re.compile(r"^(README\.md|docs/.*\.md|[a-z]+/README\.md)$")
# What a cited file looks like: a path with a slash or a name with one of these endings.
FILE = re.compile(r"^[\w.<>/-]+\.(md|py|cmake|txt|h|cpp|c|f90|session|transcript|table|sh|in"
                  r"|json|rc)$|^[\w.<>-]+/[\w.<>/-]*$")
BACKTICKED = re.compile(r"`([^`\n]+)`")
LINK = re.compile(r"\]\(([^)#\s]+)(?:#[^)]*)?\)")
CTEST = re.compile(r"CTest(?:'s)?(?: tests?)? ((?:`[a-z][a-z0-9_]*`(?:,? (?:and |or )?)?)+)")
CTEST_RUN = re.compile(r"ctest [^`\n]*?-R ([a-z][a-z0-9_]*)")
ADD_TEST = re.compile(r"add_test\(NAME ([A-Za-z0-9_]+)")
INSTALLED = ("build", "bin", "lib", "include", "PREFIX")


def tracked_files(tree):
    listed = subprocess.run(["git", "ls-files"], cwd=tree, capture_output=True, text=True,
                            check=False)
    if listed.returncode == 0 and listed.stdout:
        return set(listed.stdout.split())
    # A copy of the tree without its repository: every file but the build trees'.
    found = set()
    for folder, folders, names in os.walk(tree):
        folders[:] = [f for f in folders if f not in ("build", ".git")]
        found.update(os.path.relpath(os.path.join(folder, n), tree) for n in names)
    return found


def generated_files(tree):
    """What the generator writes, for every target, relative to its output folder."""
    contract = os.path.join(tree, "subs_solver", "contract")
    files = set()
    for target in ("windows-32", "linux-64"):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(contract, "generate_contract.py"),
                            "--target", target, os.path.join(contract, "entry_points.table"),
                            out], check=True)
            for folder, _, names in os.walk(out):
                files.update(os.path.relpath(os.path.join(folder, n), out) for n in names)
    return files


def test_names(tree, files):
    names = set()
    for path in files:
        if path.endswith((".cmake", "CMakeLists.txt")):
            with open(os.path.join(tree, path), encoding="utf-8") as text:
                names.update(ADD_TEST.findall(text.read()))
    # The examples: one test for each session (tests/CMakeLists.txt).
    names.update("example_" + os.path.basename(p)[:-len(".session")] for p in files
                 if p.startswith("examples/") and p.endswith(".session"))
    return names


def path_exists(cited, page, tree, files, generated):
    cited = re.sub(r"^build/[^/]+/generated", "generated", cited)
    # The build tree's files, the installed package's, and placeholders are not the tree's.
    if cited.split("/")[0] in INSTALLED or "<" in cited or "NAME" in cited:
        return True
    if cited.startswith("generated"):
        rest = cited[len("generated/"):].rstrip("/")
        return not rest or any(g == rest or g.startswith(rest + "/") for g in generated)
    if cited.startswith("/"):  # a path as another machine has the tree (the PDB's)
        return any(cited.endswith("/" + f) for f in files)
    if cited.endswith("/"):  # a folder, anywhere in the tree
        return any(f.startswith(cited) or "/" + cited in f for f in files)
    folder = os.path.dirname(page)
    for candidate in (cited, os.path.normpath(os.path.join(folder, cited))):
        if candidate in files or any(f.startswith(candidate + "/") for f in files):
            return True
    if "/" not in cited:  # a file of the tree, or one that CMake configures from NAME.in
        return any(os.path.basename(f) in (cited, cited + ".in") for f in files) or any(
            os.path.basename(g) == cited for g in generated)
    return any(f.endswith("/" + cited) or f"/{cited}/" in f for f in files) or any(
        g.endswith(cited) for g in generated)


def main(tree):
    files = tracked_files(tree)
    generated = generated_files(tree)
    tests = test_names(tree, files)
    folders = {f.split("/")[0] for f in files if "/" in f}
    with open(os.path.join(tree, "CMakePresets.json"), encoding="utf-8") as text:
        presets = {p["name"] for p in json.load(text)["configurePresets"]}
    faults = []
    for page in sorted(f for f in files if PAGES.match(f)):
        with open(os.path.join(tree, page), encoding="utf-8") as text:
            lines = text.read().splitlines()
        for number, line in enumerate(lines, 1):
            where = f"{page}:{number}"
            for quoted in BACKTICKED.findall(line):
                words = quoted.split()
                # In a command, the words that name a file under a folder of the tree.
                cited = words if len(words) == 1 else [
                    w for w in words if "/" in w and w.split("/")[0] in folders]
                for path in cited:
                    if FILE.match(path) and not path_exists(path, page, tree, files, generated):
                        faults.append(f"{where}: no file {path}")
            for cited in LINK.findall(line):
                if not re.match(r"^[a-z]+:", cited) and not path_exists(
                        os.path.normpath(os.path.join(os.path.dirname(page), cited)), "",
                        tree, files, generated):
                    faults.append(f"{where}: the link to {cited} leads nowhere")
            named = [n for group in CTEST.findall(line) for n in re.findall(r"`([^`]+)`", group)]
            for name in named + CTEST_RUN.findall(line):
                if name not in tests and name not in presets:  # "CTest `x`, `release`"
                    faults.append(f"{where}: no CTest test {name}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} faults in the pages' paths and CTest names")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1])))
