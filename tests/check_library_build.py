#!/usr/bin/python3
"""Checks what the library file holds and needs, beyond its exports: the built library in
the build tree and the one that `cmake --install` ships, read with the format's own
readers (python3-pefile and LLVM's PDB tools for the Windows DLL; readelf and
hardening-check for the Linux shared object). Prints each fault with its figure and exits
1; prints the figures checked and exits 0 when all hold.

  check_library_build.py pe LIBRARY --llvm LLVM_BIN --imports system_imports.txt
                         --max-size BYTES --max-unwind-tables BYTES
                         --install CMAKE BUILD PREFIX RELATIVE_PATH
  check_library_build.py elf LIBRARY [--sanitized] [--install CMAKE BUILD PREFIX RELATIVE_PATH]

The symbols of a DLL come from its PDB beside it (gyrix_solver.pdb), those of a shared
object from its debug file beside it (NAME.debug).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

HOST_LIBRARIES = ("hostutil", "elemlib", "tirelib", "propdb")
# Code and data that the library does not use: C++ exceptions and type information, the
# DWARF unwinder, the posix threads, MinGW's own printf.
FOREIGN_CODE = re.compile(r"^(__cxa_|_Unwind_|__gxx_personality|_ZTI|_ZTS|pthread_"
                          r"|__mingw_pformat|__mingw_v?[sf]?printf)")
# Windows functions that load, look up or free a module, or install an exception handler.
LOADER_OR_HANDLER = re.compile(r"^(LoadLibrary|GetModuleHandle|GetProcAddress|FreeLibrary"
                               r"|AddVectored|SetUnhandledExceptionFilter)")
# The tests' statement of the contract, whose dispatchers are the entry points that route.
CONTRACT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "contract.txt")

DYNAMIC_BASE, NX_COMPAT, NO_SEH = 0x0040, 0x0100, 0x0400
RELOCS_STRIPPED = 0x0001
SCN_EXECUTE, SCN_WRITE = 0x20000000, 0x80000000


class ToolFailed(Exception):
    pass


def run(*command, any_status=False):
    done = subprocess.run(command, capture_output=True, text=True, check=False)
    if done.returncode != 0 and not (any_status and done.stdout):
        raise ToolFailed(f"{' '.join(command)} failed ({done.returncode}):\n{done.stderr}")
    return done.stdout


def read_allowed_imports(path):
    allowed = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            if line.strip() and not line.startswith("#"):
                dll, name, needed_by = line.split(None, 2)
                allowed[(dll.lower(), name)] = needed_by.strip()
    return allowed


def pdb_public_names(llvm, pdb):
    """The names of the PDB's public symbols, the C prefix "_" dropped."""
    publics = run(os.path.join(llvm, "llvm-pdbutil"), "dump", "--publics", pdb)
    return {name[1:] if name.startswith("_") else name
            for name in re.findall(r"S_PUB32 \[size = \d+\] `([^`]*)`", publics)}


def stated_dispatchers():
    """The dispatchers that the statement names, in its order."""
    with open(CONTRACT, encoding="ascii") as statement:
        return [line.split()[1] for line in statement if line.startswith("dispatcher ")]


def check_pdb(pe, library, pdb, llvm, faults, figures):
    """The DLL's CodeView record names the PDB by file name alone, with the PDB's own GUID
    and age; an address inside each dispatcher resolves to its name from the PDB."""
    readobj = run(os.path.join(llvm, "llvm-readobj"), "--coff-debug-directory", library)
    summary = run(os.path.join(llvm, "llvm-pdbutil"), "dump", "--summary", pdb)
    in_dll = dict(re.findall(r"(PDBGUID|PDBAge|PDBFileName): (\S+)", readobj))
    in_pdb = dict(re.findall(r"^  (GUID|Age): (\S+)$", summary, re.MULTILINE))
    figures.append(f"CodeView record (llvm-readobj): PDBGUID {in_dll.get('PDBGUID')} "
                   f"PDBAge {in_dll.get('PDBAge')} PDBFileName {in_dll.get('PDBFileName')}")
    figures.append(f"PDB (llvm-pdbutil): GUID {in_pdb.get('GUID')} Age {in_pdb.get('Age')}")
    if in_dll.get("PDBFileName") != "gyrix_solver.pdb":
        faults.append(f"the CodeView record names {in_dll.get('PDBFileName')}, not "
                      "gyrix_solver.pdb by file name alone")
    if not in_dll.get("PDBGUID") or (in_dll.get("PDBGUID"), in_dll.get("PDBAge")) != (
            in_pdb.get("GUID"), in_pdb.get("Age")):
        faults.append("the DLL's CodeView record and the PDB differ in GUID or age")
    base = pe.OPTIONAL_HEADER.ImageBase
    exported = {symbol.name.decode().lstrip("_").split("@")[0]: symbol.address
                for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols if symbol.name}
    resolved = []
    # An address inside each dispatcher must resolve to its name.
    for name in stated_dispatchers():
        # Its second byte: inside the routine, not merely at its start.
        address = f"0x{base + exported.get(name, 0) + 1:X}"
        answer = run(os.path.join(llvm, "llvm-symbolizer"), "--no-inlines", "--obj=" + library,
                     address).split("\n")[0]
        resolved.append(f"{address} {answer}")
        if name not in exported or answer != name:
            faults.append(f"{name} at {address} resolves to {answer!r} from the PDB")
    figures.append("from the PDB alone: " + ", ".join(resolved))


def pe_section_names(pe_file):
    """(address, size) -> name of each section; names longer than 8 characters ("/4" in the
    header) from the COFF string table, where the file has one (a debug file has the same
    sections at the same addresses)."""
    import pefile

    pe = pefile.PE(pe_file, fast_load=True)
    header = pe.FILE_HEADER
    strings = header.PointerToSymbolTable + 18 * header.NumberOfSymbols
    names = {}
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        if name.startswith("/"):
            if not header.PointerToSymbolTable:
                continue
            start = strings + int(name[1:])
            name = pe.__data__[start:pe.__data__.find(b"\0", start)].decode()
        names[section.VirtualAddress, section.Misc_VirtualSize] = name
    return names


def check_pe(library, symbols_file, args, shipped):
    import pefile  # Debian's python3-pefile

    faults, figures = [], []
    pe = pefile.PE(library)
    size = os.path.getsize(library)
    figures.append(f"size {size:,} bytes")
    if shipped and size > args.max_size:
        faults.append(f"{size:,} bytes, more than {args.max_size:,}")

    allowed = read_allowed_imports(args.imports)
    hosts = {f"{name}.dll" for name in HOST_LIBRARIES}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode()
        names = [imported.name.decode() if imported.name else f"#{imported.ordinal}"
                 for imported in entry.imports]
        figures.append(f"imports from {dll} ({len(names)}): {' '.join(names)}")
        if dll.lower() in hosts:
            continue
        if dll.lower() not in ("kernel32.dll", "msvcrt.dll"):
            faults.append(f"imports from {dll}, which is neither a host library nor "
                          "KERNEL32.dll or msvcrt.dll")
            continue
        for name in names:
            if LOADER_OR_HANDLER.match(name):
                faults.append(f"imports {dll} {name}: loads, looks up or frees a module or "
                              "installs an exception handler")
            elif (dll.lower(), name) not in allowed:
                faults.append(f"imports {dll} {name}, which {args.imports} does not list")

    # Windows XP is 5.1: a loader refuses an image that asks for a later Windows.
    header = pe.OPTIONAL_HEADER
    for what, version in (("operating system", (header.MajorOperatingSystemVersion,
                                                 header.MinorOperatingSystemVersion)),
                          ("subsystem", (header.MajorSubsystemVersion,
                                         header.MinorSubsystemVersion))):
        figures.append(f"{what} version {version[0]}.{version[1]}")
        if version > (5, 1):
            faults.append(f"asks for {what} version {version[0]}.{version[1]}, later than "
                          "Windows XP's 5.1")

    characteristics = pe.OPTIONAL_HEADER.DllCharacteristics
    figures.append(f"DllCharacteristics 0x{characteristics:04X}")
    for flag, what in ((DYNAMIC_BASE, "DYNAMIC_BASE"), (NX_COMPAT, "NX_COMPAT"),
                       (NO_SEH, "NO_SEH")):
        if not characteristics & flag:
            faults.append(f"DllCharacteristics 0x{characteristics:04X} lacks {what}")
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size
    figures.append(f"base relocations {relocations} bytes")
    if relocations == 0 or pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED:
        faults.append("no base relocations")
    sections = []
    names = pe_section_names(library)
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        if name.startswith("/"):
            name = names.get((section.VirtualAddress, section.Misc_VirtualSize), name)
        sections.append(f"{name} {section.Misc_VirtualSize:,}")
        if name == ".eh_frame" and section.Misc_VirtualSize > args.max_unwind_tables:
            faults.append(f".eh_frame holds {section.Misc_VirtualSize:,} bytes, more than "
                          f"{args.max_unwind_tables:,}")
        if name.startswith("/"):
            # Only the DWARF and unwind sections have names longer than 8 characters.
            faults.append(f"section {name}, a long name that the file does not resolve: "
                          "debug or unwind data in the DLL")
        if section.Characteristics & SCN_WRITE and section.Characteristics & SCN_EXECUTE:
            faults.append(f"section {name} is writable and executable "
                          f"(0x{section.Characteristics:08X})")
    figures.append("sections (bytes): " + ", ".join(sections))

    foreign = sorted(name for name in pdb_public_names(args.llvm, symbols_file)
                     if FOREIGN_CODE.match(name))
    if foreign:
        faults.append(f"{len(foreign)} symbols of code the library does not use: "
                      + " ".join(foreign[:8]))

    # Nothing runs at load, unload or thread start: no entry point, no TLS callbacks.
    entry = pe.OPTIONAL_HEADER.AddressOfEntryPoint
    figures.append(f"entry point 0x{entry:X}")
    if entry:
        faults.append(f"entry point 0x{entry:X}: code runs at load, unload and thread start")
    if hasattr(pe, "DIRECTORY_ENTRY_TLS"):
        faults.append("a TLS directory: its callbacks run at every thread start and end")
    check_pdb(pe, library, symbols_file, args.llvm, faults, figures)
    return faults, figures


def check_elf(library, symbols_file, args, shipped):
    del shipped  # every figure holds for the built and the shipped library alike
    faults, figures = [], []
    dynamic = run("readelf", "-dW", library)
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic)
    figures.append("needs " + " ".join(needed))
    allowed = {"libc.so.6"} | {f"lib{name}.so" for name in HOST_LIBRARIES}
    for name in needed:
        sanitizer = re.match(r"^lib(asan|ubsan|tsan)\.so\.[0-9]+$", name)
        if name not in allowed and not (args.sanitized and sanitizer):
            faults.append(f"needs {name}")
    if not re.search(r"\(FLAGS\)\s+.*BIND_NOW|\(FLAGS_1\)\s+Flags:.*\bNOW\b", dynamic):
        faults.append("not bound at load (no BIND_NOW)")
    segments = run("readelf", "-lW", library)
    if "GNU_RELRO" not in segments:
        faults.append("no read-only relocations (no GNU_RELRO)")
    stack = re.search(r"GNU_STACK(\s+0x[0-9a-f]+){5}\s+([RWE ]+?)\s+0x", segments)
    if not stack or "E" in stack.group(2):
        faults.append("executable stack: "
                      + (stack.group(0) if stack else "no GNU_STACK header"))

    # It fails for checks of its own that a shared object need not pass (fortified calls,
    # control-flow integrity): its report is what counts.
    report = run("hardening-check", library, any_status=True)
    figures.append("hardening-check:\n" + report.rstrip())
    for feature in ("Stack protected", "Read-only relocations", "Immediate binding"):
        if not re.search(rf"^ {feature}: yes\b", report, re.MULTILINE):
            faults.append(f"hardening-check: not \"{feature}: yes\"")

    names = set()
    for path in {library, symbols_file}:
        for line in run("readelf", "-Ws", path).splitlines():
            fields = line.split()
            if len(fields) >= 8 and fields[0].endswith(":"):
                names.add(fields[7].split("@")[0])
    # libc's own: the C start files name __cxa_finalize, the exit handlers __cxa_atexit.
    foreign = sorted(name for name in names
                     if (FOREIGN_CODE.match(name) and name not in ("__cxa_finalize",
                                                                   "__cxa_atexit"))
                     or name.startswith(("_ZTI", "_ZTS")))  # type information
    if foreign:
        faults.append(f"{len(foreign)} symbols of C++ run-time code: " + " ".join(foreign[:8]))
    return faults, figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("format", choices=("pe", "elf"))
    parser.add_argument("library")
    parser.add_argument("--llvm", help="the folder of llvm-readobj, llvm-pdbutil and "
                        "llvm-symbolizer")
    parser.add_argument("--imports")
    parser.add_argument("--max-size", type=int, default=32768)
    parser.add_argument("--max-unwind-tables", type=int, default=2048)
    parser.add_argument("--sanitized", action="store_true")
    # Without it (a sanitizer build, which refuses to install) only the built library.
    parser.add_argument("--install", nargs=4, metavar=("CMAKE", "BUILD", "PREFIX", "PATH"))
    args = parser.parse_args()

    def symbols_of(library):
        if args.format == "pe":
            return os.path.join(os.path.dirname(library), "gyrix_solver.pdb")
        return library + ".debug"

    # A built shared object still holds its own symbols; a DLL never does.
    built_symbols = symbols_of(args.library) if args.format == "pe" else args.library
    libraries = [(args.library, built_symbols, False)]
    if args.install:
        cmake, build, prefix, relative = args.install
        shutil.rmtree(prefix, ignore_errors=True)
        run(cmake, "--install", build, "--prefix", prefix)
        installed = os.path.join(prefix, relative)
        libraries.append((installed, symbols_of(installed), True))

    check = check_pe if args.format == "pe" else check_elf
    failed = False
    for library, symbols, shipped in libraries:
        faults, figures = check(library, symbols, args, shipped)
        print(f"{library} ({'shipped' if shipped else 'built'}):")
        for line in figures:
            print("  " + line.replace("\n", "\n    "))
        for fault in faults:
            print(f"  FAULT: {fault}")
        failed = failed or bool(faults)
    return 1 if failed else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except ToolFailed as failure:
        print(f"FAULT: {failure}")
        sys.exit(1)
