#include "output_capture.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "files.h"

namespace harness {
namespace {

constexpr int kStandardOutput = 1;

// Standard output goes to `file` while this lives; the original comes back after, also
// when `print` throws.
class Redirection {
 public:
  explicit Redirection(std::FILE* file) : saved_(dup(kStandardOutput)) {
    if (saved_ < 0 || dup2(fileno(file), kStandardOutput) < 0) {
      if (saved_ >= 0) close(saved_);
      throw std::runtime_error("cannot redirect standard output");
    }
    use_binary_standard_output();
  }
  ~Redirection() {
    std::fflush(stdout);
    dup2(saved_, kStandardOutput);
    close(saved_);
    use_binary_standard_output();
  }
  Redirection(const Redirection&) = delete;
  Redirection& operator=(const Redirection&) = delete;

 private:
  int saved_;
};

}  // namespace

std::string capture_standard_output(const std::function<void()>& print) {
  std::fflush(stdout);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_scratch_file(), &std::fclose);
  if (file == nullptr) throw std::runtime_error("cannot make a temporary file");
  {
    const Redirection redirection(file.get());
    print();
  }
  std::rewind(file.get());
  std::optional<std::string> text = read_to_end(file.get());
  if (!text) throw std::runtime_error("cannot read the temporary file back");
  return *text;
}

}  // namespace harness
