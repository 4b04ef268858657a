#!/usr/bin/python3
"""Lays out a DLL and its PDB in a symbol store, the layout that Windows debuggers fetch
from (SymSrv, any file share or HTTP server):

  STORE/NAME.pdb/<GUID><age>/NAME.pdb                    the PDB
  STORE/NAME.dll/<TimeDateStamp><SizeOfImage>/NAME.dll   the DLL

both keys read from the DLL itself: the GUID and age of its CodeView (RSDS) record, the
time stamp of its file header and the image size of its optional header. Written as
SymSrv and symstore write them: the GUID as 32 upper-case hex digits without dashes
(its first three fields as numbers, the last eight bytes in order) and the time stamp as
8, each followed by the age or the image size in lower-case hex without padding.

  symbol_store.py DLL PDB STORE
"""
import os
import shutil
import sys

import pefile

IMAGE_DEBUG_TYPE_CODEVIEW = 2


def store_keys(dll):
    pe = pefile.PE(dll, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DEBUG"]])
    records = [entry.entry for entry in getattr(pe, "DIRECTORY_ENTRY_DEBUG", [])
               if entry.struct.Type == IMAGE_DEBUG_TYPE_CODEVIEW and entry.entry is not None
               and entry.entry.CvSignature == b"RSDS"]
    if not records:
        sys.exit(f"symbol_store.py: {dll} has no CodeView (RSDS) record")
    record = records[0]
    tail = bytes([record.Signature_Data4, record.Signature_Data5]) + record.Signature_Data6
    guid = (f"{record.Signature_Data1:08X}{record.Signature_Data2:04X}"
            f"{record.Signature_Data3:04X}{tail.hex().upper()}")
    pdb_name = os.path.basename(record.PdbFileName.rstrip(b"\0").decode())
    pdb_key = f"{guid}{record.Age:x}"
    dll_key = f"{pe.FILE_HEADER.TimeDateStamp:08X}{pe.OPTIONAL_HEADER.SizeOfImage:x}"
    return pdb_name, pdb_key, dll_key


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().split("\n")[-1].strip())
    dll, pdb, store = sys.argv[1:]
    pdb_name, pdb_key, dll_key = store_keys(dll)
    dll_name = os.path.basename(dll)
    for name, key, source in ((pdb_name, pdb_key, pdb), (dll_name, dll_key, dll)):
        folder = os.path.join(store, name, key)
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(source, os.path.join(folder, name))
        print(f"-- Installing: {os.path.join(folder, name)}")


if __name__ == "__main__":
    main()
