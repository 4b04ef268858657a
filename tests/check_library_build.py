#!/usr/bin/python3
"""Checks the built library file with the format's own readers (python3-pefile and LLVM's
PDB tools for the Windows DLL; readelf, nm and hardening-check for the Linux shared
object). Two checks of the library, each a CTest test of its name, and one of a program
linked against its import library (the dispatchers' machine code: prove_routing.py):

  contract     its exports, and its imports from the host's libraries, are exactly those
               that the contract table names (read by its generator's own reader)
  build        what it holds and needs beyond that: size, system imports, hardening, no
               code run at load, the PDB; for the built library and the one that
               `cmake --install` ships, and the symbol store of the shipped DLL
  program      a Windows program that names every entry point imports from
               gyrix_solver.dll exactly the stated exports, by their exported names (the
               kit's import libraries)

  check_library_build.py contract pe LIBRARY
  check_library_build.py contract elf LIBRARY --elemlib ELEMLIB
  check_library_build.py build pe LIBRARY --llvm LLVM_BIN --imports system_imports.txt
                         --max-size BYTES --max-unwind-tables BYTES
                         --install CMAKE BUILD PREFIX RELATIVE_PATH
  check_library_build.py build elf LIBRARY [--sanitized] [--install CMAKE BUILD PREFIX PATH]
  check_library_build.py program pe PROGRAM

Prints the figures checked, and each fault with its figure; exits 1 on any fault. The
symbols of a built DLL come from its PDB beside it (gyrix_solver.pdb), of a shipped one from
the symbol store that the symbols component is; those of a shared object from its debug
file beside it (NAME.debug).
"""
import argparse
import filecmp
import collections
import os
import re
import shutil
import subprocess
import sys

CONTRACT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "subs_solver",
                        "contract")
sys.path.insert(0, CONTRACT)
sys.dont_write_bytecode = True  # nothing written into the source tree
import generate_contract  # noqa: E402  (the table's one reader and the one decoration rule)

MINGW_RUNTIME = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread)")
# Code and data that the library does not use: C++ exceptions and type information, the
# DWARF unwinder, the posix threads, MinGW's own printf.
FOREIGN_CODE = re.compile(r"^(__cxa_|_Unwind_|__gxx_personality|_ZTI|_ZTS|pthread_"
                          r"|__mingw_pformat|__mingw_v?[sf]?printf)")
# Windows functions that load, look up or free a module, or install an exception handler.
LOADER_OR_HANDLER = re.compile(r"^(LoadLibrary|GetModuleHandle|GetProcAddress|FreeLibrary"
                               r"|AddVectored|SetUnhandledExceptionFilter)")
DEBUG_SECTION = re.compile(r"^\.z?debug_[a-z_]+$")

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


# --- The contract, as its table states it -----------------------------------------------

# How each file format names a routine: the generator's targets.
TARGET = {"pe": "windows-32", "elf": "linux-64"}
# kind: DISPATCHER, UNSUPPLIED, STDCALL or PLAIN; words: None for a plain C routine;
# routines: the element routines of a dispatcher's routes.
Entry = collections.namedtuple("Entry", "kind name words routines")
# What the checks expect: the entry points, and the table as the generator read it.
Statement = collections.namedtuple("Statement", "entries contract")


def read_statement():
    """The contract table, as its generator reads it: (entry points, {library: imports})."""
    try:
        contract = generate_contract.read_table(os.path.join(CONTRACT, "entry_points.table"))
    except generate_contract.TableError as error:
        raise ToolFailed(str(error)) from error
    entries = [Entry(e.kind, e.name, e.words, [routine for _, routine in e.routes])
               for e in contract.entries]
    return Statement(entries, contract)


def name_in_format(name, words, file_format):
    """The routine's exported name in a file of this format, by the generator's rule."""
    return generate_contract.exported_name(name, words, TARGET[file_format])


def stated_exports(statement, file_format):
    return sorted(name_in_format(entry.name, entry.words, file_format)
                  for entry in statement.entries)


def stated_imports(statement, file_format):
    """host library -> the sorted names that the library imports from it."""
    contract = statement.contract
    imports = {library: [name_in_format(r.name, r.words, file_format) for r in routines]
               for library, routines in contract.imports.items()}
    imports.setdefault("elemlib", []).extend(
        name_in_format(r.name, r.words, file_format) for r in contract.element_routines())
    return {library: sorted(names) for library, names in imports.items()}


def dispatchers(statement):
    return [entry for entry in statement.entries if entry.kind == "DISPATCHER"]


# --- The tables of a file, each read in one place -----------------------------------------

def pe_exports(pe):
    """Exported name -> its address relative to the image base."""
    if not hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        return {}
    return {symbol.name.decode(): symbol.address
            for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols if symbol.name}


def pe_imports(pe):
    """DLL name, as the file spells it -> the names imported from it (#ORDINAL by ordinal)."""
    return {entry.dll.decode(): [imported.name.decode() if imported.name
                                 else f"#{imported.ordinal}" for imported in entry.imports]
            for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}


def elf_dynamic_symbols(library, *which):
    """The names in the dynamic symbol table that nm selects with `which`."""
    return set(run("nm", "-D", "--format=just-symbols", *which, library).split())


def pdb_public_names(llvm, pdb):
    """The names of the PDB's public symbols, the C prefix "_" dropped."""
    publics = run(os.path.join(llvm, "llvm-pdbutil"), "dump", "--publics", pdb)
    return {name[1:] if name.startswith("_") else name
            for name in re.findall(r"S_PUB32 \[size = \d+\] `([^`]*)`", publics)}


def pdb_procedures(llvm, pdb):
    """Procedure name -> (offset in the first section, code size), from the PDB's records."""
    symbols = run(os.path.join(llvm, "llvm-pdbutil"), "dump", "--symbols", pdb)
    procedures = {}
    for name, offset, size in re.findall(
            r"`([^`\n]*)`\n[^\n]* addr = 0001:([0-9]+), code size = ([0-9]+)", symbols):
        procedures.setdefault(name, (int(offset), int(size)))
    return procedures


def symbols_file(library, file_format):
    if file_format == "pe":
        return os.path.join(os.path.dirname(library), "gyrix_solver.pdb")
    return library + ".debug"


# --- contract: exports and imports against the table --------------------------------------

def compare(what, expected, actual, faults, figures):
    """Adds a figure of `actual`, and a fault naming what differs from `expected`."""
    expected, actual = list(expected), list(actual)
    figures.append(f"{what} ({len(actual)}): {' '.join(sorted(actual))}")
    missing = sorted((collections.Counter(expected) - collections.Counter(actual)).elements())
    extra = sorted((collections.Counter(actual) - collections.Counter(expected)).elements())
    if missing:
        faults.append(f"{what}: lacks {' '.join(missing)}")
    if extra:
        faults.append(f"{what}: has, beyond the table, {' '.join(extra)}")


def check_contract_pe(args, statement):
    import pefile  # Debian's python3-pefile

    faults, figures = [], []
    pe = pefile.PE(args.library)
    compare("exports", stated_exports(statement, "pe"), pe_exports(pe), faults, figures)
    imports = {dll.lower(): names for dll, names in pe_imports(pe).items()}
    for dll in imports:
        if MINGW_RUNTIME.match(dll):
            faults.append(f"needs the MinGW run-time DLL {dll}")
    for library, expected in stated_imports(statement, "pe").items():
        compare(f"imports from {library}.dll", expected, imports.get(f"{library}.dll", []),
                faults, figures)
    return [(args.library, faults, figures)]


def check_contract_elf(args, statement):
    """Exports; and of what the library needs, what the stand-in elemlib defines (the
    other host libraries' routines are told apart on Windows only)."""
    faults, figures = [], []
    exported = elf_dynamic_symbols(args.library, "--defined-only")
    compare("exports", stated_exports(statement, "elf"), exported, faults, figures)
    needed = elf_dynamic_symbols(args.library, "--undefined-only")
    from_elemlib = needed & elf_dynamic_symbols(args.elemlib, "--defined-only")
    compare(f"imports from {args.elemlib}", stated_imports(statement, "elf")["elemlib"],
            from_elemlib, faults, figures)
    return [(args.library, faults, figures)]


def check_program_pe(args, statement):
    """A program that names every entry point, linked against an import library: it
    imports from gyrix_solver.dll exactly the exports, each by its exported name."""
    import pefile  # Debian's python3-pefile

    faults, figures = [], []
    imports = {dll.lower(): names for dll, names in pe_imports(pefile.PE(args.library)).items()}
    compare("imports from gyrix_solver.dll", stated_exports(statement, "pe"),
            imports.get("gyrix_solver.dll", []), faults, figures)
    return [(args.library, faults, figures)]


# --- build: what the library holds and needs beyond its exports ---------------------------

def read_allowed_imports(path):
    allowed = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            if line.strip() and not line.startswith("#"):
                dll, name, needed_by = line.split(None, 2)
                allowed[(dll.lower(), name)] = needed_by.strip()
    return allowed


def check_pdb(pe, library, pdb, llvm, statement, faults, figures):
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
    exported = pe_exports(pe)
    resolved = []
    # An address inside each dispatcher must resolve to its name.
    for dispatcher in dispatchers(statement):
        name = name_in_format(dispatcher.name, dispatcher.words, "pe")
        # Its second byte: inside the routine, not merely at its start.
        address = f"0x{base + exported.get(name, 0) + 1:X}"
        answer = run(os.path.join(llvm, "llvm-symbolizer"), "--no-inlines", "--obj=" + library,
                     address).split("\n")[0]
        resolved.append(f"{address} {answer}")
        if name not in exported or answer != dispatcher.name:
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


def check_pe(library, symbols, args, statement, shipped):
    import pefile  # Debian's python3-pefile

    faults, figures = [], []
    pe = pefile.PE(library)
    size = os.path.getsize(library)
    figures.append(f"size {size:,} bytes")
    if shipped and size > args.max_size:
        faults.append(f"{size:,} bytes, more than {args.max_size:,}")

    allowed = read_allowed_imports(args.imports)
    hosts = {f"{name}.dll" for name in stated_imports(statement, "pe")}
    for dll, names in pe_imports(pe).items():
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
        if shipped and DEBUG_SECTION.match(name):
            faults.append(f"section {name}: debug information in the shipped DLL")
        if name.startswith("/"):
            # Only the DWARF and unwind sections have names longer than 8 characters.
            faults.append(f"section {name}, a long name that the file does not resolve: "
                          "debug or unwind data in the DLL")
        if section.Characteristics & SCN_WRITE and section.Characteristics & SCN_EXECUTE:
            faults.append(f"section {name} is writable and executable "
                          f"(0x{section.Characteristics:08X})")
    figures.append("sections (bytes): " + ", ".join(sections))

    foreign = sorted(name for name in pdb_public_names(args.llvm, symbols)
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
    check_pdb(pe, library, symbols, args.llvm, statement, faults, figures)
    return faults, figures


def check_elf(library, symbols, args, statement, shipped):
    faults, figures = [], []
    dynamic = run("readelf", "-dW", library)
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic)
    figures.append("needs " + " ".join(needed))
    allowed = {"libc.so.6"} | {f"lib{name}.so" for name in stated_imports(statement, "elf")}
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

    if shipped:
        sections = re.findall(r"\] (\S+)", run("readelf", "-SW", library))
        debug = [name for name in sections if DEBUG_SECTION.match(name)]
        if debug:
            faults.append("debug information in the shipped library: " + " ".join(debug))

    names = set()
    for path in {library, symbols}:
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


def check_symbol_store(args, dll, store):
    """The PDB and the DLL lie in the symbol store under the keys that a debugger forms
    from the DLL (read here by llvm-readobj): NAME.pdb/<GUID><age>/NAME.pdb and
    NAME.dll/<TimeDateStamp><SizeOfImage>/NAME.dll, the GUID and the time stamp in
    upper-case hex, the age and the image size in lower-case hex without padding, as
    SymSrv asks. The store's DLL is the built one, and the store holds nothing else."""
    readobj = run(os.path.join(args.llvm, "llvm-readobj"), "--file-headers",
                  "--coff-debug-directory", dll)
    fields = dict(re.findall(r"(PDBGUID|PDBAge|PDBFileName|SizeOfImage): (\S+)", readobj))
    stamp = re.search(r"TimeDateStamp: .*\(0x([0-9A-F]+)\)", readobj)
    guid = fields.get("PDBGUID", "").strip("{}").replace("-", "")
    pdb_key = f"{guid}{int(fields.get('PDBAge', '0')):x}"
    dll_key = f"{int(stamp.group(1), 16) if stamp else 0:08X}{int(fields.get('SizeOfImage', '0')):x}"
    pdb_name, dll_name = fields.get("PDBFileName", "?"), os.path.basename(dll)
    expected = {os.path.join(pdb_name, pdb_key, pdb_name), os.path.join(dll_name, dll_key, dll_name)}
    present = {os.path.relpath(os.path.join(folder, name), store)
               for folder, _, names in os.walk(store) for name in names}
    faults = [f"the store lacks {path}" for path in sorted(expected - present)]
    faults += [f"the store holds {path} too" for path in sorted(present - expected)]
    stored_dll = os.path.join(store, dll_name, dll_key, dll_name)
    if os.path.exists(stored_dll) and not filecmp.cmp(stored_dll, args.library, shallow=False):
        faults.append(f"{stored_dll} is not the built DLL")
    return faults, ["symbol store (keys from llvm-readobj): " + ", ".join(sorted(expected))]


def check_build(args, statement):
    # A built shared object still holds its own symbols; a DLL never does.
    built_symbols = args.library if args.format == "elf" else symbols_file(args.library, "pe")
    libraries = [(args.library, built_symbols, False)]
    results = []
    if args.install:
        cmake, build, prefix, relative = args.install
        shutil.rmtree(prefix, ignore_errors=True)
        run(cmake, "--install", build, "--prefix", prefix)
        installed = os.path.join(prefix, relative)
        if args.format == "pe":
            # The symbols component is a symbol store at the top of the package.
            store = os.path.join(prefix, "symbols")
            shutil.rmtree(store, ignore_errors=True)
            run(cmake, "--install", build, "--prefix", store, "--component", "symbols")
            results.append((f"{store} (shipped)", *check_symbol_store(args, installed, store)))
            # The shipped DLL with the PDB that a debugger fetches from the store beside it,
            # where LLVM's tools look.
            pdb_name = os.path.basename(symbols_file(installed, "pe"))
            fetched = os.path.join(prefix, "fetched")
            os.makedirs(fetched)
            for folder, _, names in os.walk(os.path.join(store, pdb_name)):
                if pdb_name in names:
                    shutil.copyfile(os.path.join(folder, pdb_name), os.path.join(fetched, pdb_name))
            installed = shutil.copy(installed, fetched)
            installed_symbols = symbols_file(installed, "pe")
        else:
            installed_symbols = symbols_file(installed, args.format)
        libraries.append((installed, installed_symbols, True))
    check = check_pe if args.format == "pe" else check_elf
    return [(f"{library} ({'shipped' if shipped else 'built'})",
             *check(library, symbols, args, statement, shipped))
            for library, symbols, shipped in libraries] + results


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    checks = parser.add_subparsers(dest="check", required=True)
    for name in ("contract", "program", "build"):
        check = checks.add_parser(name)
        check.add_argument("format", choices=("pe", "elf"))
        check.add_argument("library")
        if name == "build":
            check.add_argument("--llvm", help="the folder of llvm-readobj, llvm-pdbutil and "
                               "llvm-symbolizer (pe)")
    checks.choices["contract"].add_argument("--elemlib", help="the stand-in elemlib (elf)")
    build = checks.choices["build"]
    build.add_argument("--imports", help="the system imports allowed (pe)")
    build.add_argument("--max-size", type=int, default=32768)
    build.add_argument("--max-unwind-tables", type=int, default=2048)
    build.add_argument("--sanitized", action="store_true")
    # Without it (a sanitizer build, which refuses to install) only the built library.
    build.add_argument("--install", nargs=4, metavar=("CMAKE", "BUILD", "PREFIX", "PATH"))
    return parser.parse_args()


def main():
    args = arguments()
    statement = read_statement()
    if args.check == "contract":
        check = check_contract_pe if args.format == "pe" else check_contract_elf
    elif args.check == "program":
        check = check_program_pe
    else:
        check = check_build
    failed = False
    for heading, faults, figures in check(args, statement):
        print(f"{heading}:")
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
