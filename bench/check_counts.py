#!/usr/bin/env python3
"""Runs bench/count_driver under callgrind, the one reader of its files, prints each path's
instructions per call, routed, direct and extra, and judges them against their limits.

    check_counts.py --valgrind VALGRIND --driver COUNT_DRIVER --limits count_limits.txt
                    --platform COLUMN

Fails (status 1) where a path costs more instructions per call beyond its direct call
than its limit (a dispatcher's by its form, read from the contract table by the
generator's own reader, or by a row of its own), where a route's exact number runs its dispatcher's general path (the
routine <NAME>_converted, or routine_number) instead of the fast path, or where the
limits and the measured paths disagree. The fatal report must run the general
path: the proof that the check sees it. Reports itself skipped (status 77) where the
kernel hands the driver to an emulator.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

CONTRACT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "subs_solver",
                        "contract")
sys.path.insert(0, CONTRACT)
sys.dont_write_bytecode = True  # nothing written into the source tree
import generate_contract  # noqa: E402

CALLS = 1000
SKIPPED = 77
BINFMT = "/proc/sys/fs/binfmt_misc"
# A line of callgrind_annotate's listing: a routine of the general path that ran.
GENERAL_PATH = re.compile(r"^ *[0-9][0-9,]* .*?(\w+_converted|gyrix::routine_number)\(", re.M)
PROOF_PATH = "fatal_report"


def emulator_for(program):
    """The interpreter of an enabled binfmt_misc entry whose magic claims `program`."""
    try:
        with open(os.path.join(BINFMT, "status"), encoding="ascii") as status:
            if status.read().strip() != "enabled":
                return None
        names = os.listdir(BINFMT)
    except OSError:
        return None
    with open(program, "rb") as file:
        head = file.read(128)
    for name in names:
        try:
            with open(os.path.join(BINFMT, name), encoding="ascii") as entry:
                lines = entry.read().splitlines()
        except (OSError, UnicodeDecodeError):
            continue  # status, register
        if not lines or lines[0] != "enabled":
            continue
        fields = dict(line.replace(":", "").split(" ", 1) for line in lines[1:] if " " in line)
        if "magic" not in fields:
            continue
        magic = bytes.fromhex(fields["magic"])
        mask = bytes.fromhex(fields.get("mask", "ff" * len(magic)))
        start = int(fields.get("offset", "0"))
        data = head[start:start + len(magic)]
        if len(data) == len(magic) and all((d ^ m) & k == 0 for d, m, k in zip(data, magic, mask)):
            return f"{fields['interpreter']} (binfmt_misc entry {name})"
    return None


def form_row(entry):
    """The row of a dispatcher's form: its fast path's table of one slot or of several, or
    the general path alone, as the generator writes it (`entry`, the generator's)."""
    return ("form/general_path" if entry.slots is None
            else "form/one_slot" if entry.slots[1] == 0 else "form/slots")


def dispatcher_forms():
    """{dispatcher: the row of its form}."""
    contract = generate_contract.read_table(os.path.join(CONTRACT, "entry_points.table"))
    return {entry.name: form_row(entry) for entry in contract.of_kind("DISPATCHER")}


def read_limits(path, platform):
    """{row: limit, None (no figure judged) or "=" (the form's)}; the header line names
    the platforms' columns."""
    with open(path, encoding="utf-8") as file:
        rows = [line.split() for line in file if line.strip() and not line.startswith("#")]
    column = rows[0].index(platform)
    words = {"-": None, "=": "="}
    return {row[0]: words[row[column]] if row[column] in words else int(row[column])
            for row in rows[1:]}


def limit_for(limits, forms, path):
    """The row that holds `path`'s limit: its own, its dispatcher's (a route of it), or
    its dispatcher's form's; None for a path that none names."""
    dispatcher = path.split("/")[0]
    for key in (path, dispatcher, forms.get(dispatcher)):
        if key in limits and limits[key] != "=":
            return key
    return None


def read_dumps(out):
    """{label: Ir} and {label: file} of every dump, in the driver's order."""
    counts, dumps = {}, {}
    for dump in sorted(glob.glob(out + ".*"), key=lambda d: int(d.rsplit(".", 1)[1])):
        with open(dump, encoding="utf-8") as file:
            text = file.read()
        label = re.search(r"^desc: Trigger: Client Request: (\S+)$", text, re.M).group(1)
        counts[label] = int(re.search(r"^summary: (\d+)$", text, re.M).group(1))
        dumps[label] = dump
    return counts, dumps


def main():
    parser = argparse.ArgumentParser()
    for option in ("--valgrind", "--driver", "--limits", "--platform"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()

    emulator = emulator_for(args.driver)
    if emulator:
        print(f"SKIPPED: this machine runs {os.path.basename(args.driver)} under {emulator}; "
              "the counts are judged where the CPU runs it itself")
        return SKIPPED
    limits = read_limits(args.limits, args.platform)
    forms = dispatcher_forms()

    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "cg.out")
        run = subprocess.run([args.valgrind, "--tool=callgrind", "--collect-atstart=no",
                              "--dump-instr=no", f"--callgrind-out-file={out}", args.driver,
                              str(CALLS)], capture_output=True, text=True, check=False)
        if run.returncode != 0:
            print(run.stdout + run.stderr)
            return 1
        counts, dumps = read_dumps(out)
        annotate = shutil.which("callgrind_annotate", path=os.path.dirname(args.valgrind))

        def general_path(label):
            """The general path's routines that ran in the dump `label`."""
            listing = subprocess.run([annotate, "--auto=no", "--inclusive=no", "--threshold=100",
                                      dumps[label]], capture_output=True, text=True, check=True)
            return sorted(set(GENERAL_PATH.findall(listing.stdout)))

        def per_call(name):
            return (counts[f"{name}#{2 * CALLS}"] - counts[f"{name}#{CALLS}"]) / CALLS

        failures = []
        paths = [label[:-len(f"/routed#{CALLS}")] for label in dumps
                 if label.endswith(f"/routed#{CALLS}")]
        print("| path | routed Ir/call | direct Ir/call | extra Ir/call | limit |\n"
              "|---|---:|---:|---:|---:|")
        for path in paths:
            key = limit_for(limits, forms, path)
            if key is None:
                failures.append(f"{path}: no limit in {args.limits}")
                continue
            routed, direct = per_call(f"{path}/routed"), per_call(f"{path}/direct")
            extra = round(routed - direct)
            limit = limits[key]
            print(f"| {path} | {routed:.0f} | {direct:.0f} | {extra:+} | "
                  f"{'-' if limit is None else limit} |")
            if limit is not None and extra > limit:
                failures.append(f"{path}: +{extra} instructions beyond the direct call, "
                                f"limit {limit}")
        failures.extend(f"{key}: a limit for no measured path" for key in limits
                        if not key.startswith("form/") and limits[key] != "="
                        and not any(limit_for(limits, forms, path) == key for path in paths))
        failures.extend(f"{key}: a row for no dispatcher" for key in limits
                        if limits[key] == "=" and key not in forms)

        # A dispatcher with the general path alone has no fast path to take.
        routes = [label for label in dumps if label.startswith("fast_path/")
                  and forms.get(label.split("/")[1]) != "form/general_path"]
        for label in routes:
            routines = general_path(label)
            if routines:
                failures.append(f"{label[len('fast_path/'):]}: the route's exact number ran the "
                                f"general path ({', '.join(routines)}), not the fast path")
        print(f"fast path: {len(routes)} routes' exact numbers called, each dump searched for "
              "the general path's routines")
        proof = f"{PROOF_PATH}/routed#{CALLS}"
        if not routes or proof not in dumps or not general_path(proof):
            failures.append(f"{PROOF_PATH}: no routine of the general path seen: the check "
                            "cannot see the general path")

    for failure in failures:
        print(f"FAILED {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
