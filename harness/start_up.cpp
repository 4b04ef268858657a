#include "start_up.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <string>
#include <string_view>

#include "environment_variables.h"
#include "host_call.h"
#include "journal.h"
#include "output_capture.h"
#include "platform.h"
#include "visible_bytes.h"

namespace harness {
namespace {

using StartUp = void(GYRIX_CALL*)();
using TireInstallation = int32_t(GYRIX_CALL*)();
using VersionReport = double (*)();

constexpr int kPrefixLength = 16;  // "Movra/Driveline "
constexpr int kValueLength = 80;   // the variable's value, characters 17 to 96

void print_variable(std::FILE* out) {
  const std::string value = environment_value("QAV_MOVRA_NAME");
  if (value.empty()) {
    std::fprintf(out, "QAV_MOVRA_NAME is unset or empty\n");
  } else {
    std::fprintf(out, "QAV_MOVRA_NAME = |%s| (%zu characters)\n", value.c_str(), value.size());
  }
}

// The banner in full, then its value columns on their own.
void print_banner(std::FILE* out, const JournalEntry& entry) {
  print_journal_entry(out, entry);
  const JournalText& message = entry.text[0];
  if (message.length >= kPrefixLength + kValueLength) {
    const std::string value =
        visible_bytes(std::string_view(message.chars + kPrefixLength, kValueLength));
    std::fprintf(out, "    value, columns 17-96: |%s|\n", value.c_str());
  }
}

// The tool records name this build's compilers and their options, which differ from
// platform to platform: "QAV g++     opts: (-O2 ...)" shows as "QAV <tool>  opts: (...)",
// its colon still the 17th character. Any other line is kept as printed.
std::string without_tool_options(std::string_view printed) {
  constexpr std::string_view kLead = "%gyrix_solver-i-gyrix_solver, QAV ";
  constexpr std::size_t kToolLength = 8;
  constexpr std::string_view kOptions = "opts: (";
  std::string shown;
  while (!printed.empty()) {
    const std::size_t newline = printed.find('\n');
    const std::string_view line = printed.substr(0, newline);
    const std::string_view rest = line.substr(std::min(line.size(), kLead.size()));
    const bool tool_record =
        line.substr(0, kLead.size()) == kLead &&
        rest.substr(std::min(rest.size(), kToolLength), kOptions.size()) == kOptions &&
        line.back() == ')';
    shown += tool_record ? std::string(kLead) + "<tool>  opts: (...)" : std::string(line);
    if (newline == std::string_view::npos) break;
    shown += '\n';
    printed.remove_prefix(newline + 1);
  }
  return shown;
}

}  // namespace

bool show_start_up(const Library& library, int32_t install_status, std::FILE* out) {
  const auto start_up = reinterpret_cast<StartUp>(library.resolve("CAR_INIT"));
  if (start_up == nullptr) {
    std::fprintf(out, "  CAR_INIT is not exported by the library\n");
    return true;
  }
  print_variable(out);
  std::fprintf(out, "CAR_INIT, the stand-in stiHanSetDba returning %d:\n",
               static_cast<int>(install_status));
  standin_set_install_status(install_status);
  const int first = journal_size();
  start_up();
  bool fatal = false;
  for (const JournalEntry& entry : journal_since(first)) {
    const std::string_view routine = entry.routine;
    if (routine == "QAV_GETENV") {
      // The buffer goes in blank, and the lookup writes all of it: only the name shows.
      std::fprintf(out, "  QAV_GETENV:\n");
      print_barred(out, "name", entry.text[0]);
    } else if (routine == "USRMES") {
      print_banner(out, entry);
    } else {
      fatal = fatal || ends_run(entry);
      print_journal_entry(out, entry);
    }
  }
  standin_set_install_status(0);
  std::fprintf(out, fatal ? "The handler is not installed.\n" : "The handler is installed.\n");
  return fatal;
}

bool show_tire_installation(const Library& library, int32_t install_status) {
  const auto install = reinterpret_cast<TireInstallation>(library.resolve("TK_GYRX_TIRINIT"));
  if (install == nullptr) {
    std::printf("  TK_GYRX_TIRINIT is not exported by the library\n");
    return false;
  }
  std::printf("TK_GYRX_TIRINIT, the stand-in stiHanSetDba returning %d:\n",
              static_cast<int>(install_status));
  standin_set_install_status(install_status);
  const int first = journal_size();
  const int32_t status = install();
  standin_set_install_status(0);
  print_journal(stdout, first);
  std::printf("TK_GYRX_TIRINIT returned %d: the handler is %s.\n", static_cast<int>(status),
              status == 0 ? "installed" : "not installed");
  return status == 0;
}

bool show_version_report(const Library& library) {
  const auto report = reinterpret_cast<VersionReport>(library.resolve("gyrix_solver_version"));
  if (report == nullptr) {
    std::printf("  gyrix_solver_version is not exported by the library\n");
    return false;
  }
  double version = 0.0;
  const std::string printed = capture_standard_output([&] { version = report(); });
  const std::string shown = without_tool_options(printed);
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  uint64_t bits = 0;
  std::memcpy(&bits, &version, sizeof bits);
  std::printf("gyrix_solver_version returned %.4f (bits 0x%016" PRIx64 ")\n", version, bits);
  return true;
}

}  // namespace harness
