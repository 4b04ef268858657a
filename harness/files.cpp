#include "files.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace harness {
namespace {

// The C run-times word these reasons differently (and msvcrt refuses to open a folder
// that glibc opens): they are told from the file's status instead.
std::string unreadable_reason(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? "there is no such file" : "it cannot be opened";
  }
  if ((status.st_mode & S_IFMT) == S_IFDIR) return "it is a folder";
  return "it cannot be opened or read (no permission?)";
}

}  // namespace

std::optional<std::string> read_to_end(std::FILE* file) {
  std::string text;
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
    text.append(block, got);
  }
  if (std::ferror(file)) return std::nullopt;
  return text;
}

std::optional<std::string> read_file(const std::string& path, std::string* why) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  std::optional<std::string> bytes;
  if (file != nullptr) bytes = read_to_end(file.get());
  if (!bytes && why != nullptr) *why = unreadable_reason(path);
  return bytes;
}

}  // namespace harness
