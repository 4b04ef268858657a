#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "files.h"

namespace harness {

// The mode belongs to the file descriptor in msvcrt.dll, which the library's printf
// shares with the harness: its output is written unchanged as well.
void use_binary_standard_output() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

// msvcrt's tmpfile() makes its file in the root of the current drive, which a normal
// user may not write to; this one lies in the user's temporary folder and goes when
// closed ("D").
std::FILE* open_scratch_file() {
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > sizeof folder) return nullptr;
  if (GetTempFileNameA(folder, "gyx", 0, name) == 0) return nullptr;
  std::FILE* file = std::fopen(name, "w+bTD");
  if (file == nullptr) DeleteFileA(name);
  return file;
}

// rename() fails on Windows when the target exists.
bool replace_file(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace harness
