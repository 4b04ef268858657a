// Counts heap allocations during the fatal reports and the message filter: none may
// allocate. This program defines malloc and its kin itself, so every allocation in the
// process, the loaded libraries' included, passes through the counter here before the C
// library's allocator serves it. Exit status 0 when no call allocated, 1 otherwise.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>

#include "entry_points.h"
#include "environment_variables.h"
#include "paths.h"

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {

// Allocations counted while `counting` is set. One thread only: no atomics needed.
bool counting = false;
long allocations = 0;

void count() {
  if (counting) ++allocations;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
  count();
  return __libc_malloc(size);
}
void* calloc(std::size_t count_, std::size_t size) {
  count();
  return __libc_calloc(count_, size);
}
void* realloc(void* block, std::size_t size) {
  count();
  return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
  count();
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  count();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size) {
  count();
  *block = __libc_memalign(alignment, size);
  return *block != nullptr ? 0 : 12;  // ENOMEM
}
void free(void* block) { __libc_free(block); }

}  // extern "C"

namespace {

int failures = 0;

// Runs `action` with the counter on and reports what it allocated.
template <class Action>
void expect_no_allocation(const std::string& what, const Action& action) {
  allocations = 0;
  counting = true;
  action();
  counting = false;
  if (allocations != 0) {
    std::printf("FAILED: %s: %ld heap allocations\n", what.c_str(), allocations);
    ++failures;
  }
}

}  // namespace

int main() {
  // The counter must see allocations made in another shared object (libstdc++).
  allocations = 0;
  counting = true;
  delete new std::string(100, 'x');
  counting = false;
  if (allocations == 0) {
    std::printf("FAILED: the counter does not see operator new: nothing here can be trusted\n");
    return 1;
  }

  const bench::MeasuredLibrary measured;
  int calls = 0;
  // Every fatal report: each dispatcher with a number that its table lacks, and with a
  // NaN; each entry point without routines.
  for (const harness::EntryPoint& entry : harness::kUserSubroutines) {
    for (const double par1 : {902.0, std::numeric_limits<double>::quiet_NaN()}) {
      const bench::Call call = measured.entry_call(entry.name, par1);
      expect_no_allocation(std::string(entry.name) + " fatal report", call);
      ++calls;
    }
  }
  // Every rule of the filter, with each of its sub-ids and one it lacks, the switches set
  // and unset; an id without a rule.
  struct Question {
    const char* msgid;
    const char* subid;
  };
  constexpr Question kQuestions[] = {
      {"MOTFCH", "MOTDEP"},
      {"MOTFCH", "OTHER"},
      {"INFO", "OUTDATED"},
      {"INFO", "FNCFLG.T."},
      {"ALFR5", "FRCIJ_ALL"},
      {"ALFR5", "FRCI_AO"},
      {"RPNFRC", "ZERO_AOFS"},
      {"RPNFRC", "NO_FORCE"},
      {"SDFDIR", "NO_DISP"},
      {"VALGET", "OUT_1_XRA"},
      {"VALGET", "XRA_2_OUT"},
      {"VALGET", "LIMIT"},
      {"DFFDEP", "OLD.NE.NU"},
      {"VRMOTN", "MKRMOTTRA"},
      {"UVCHEK", "BIG_DIFF"},
      {"UVCHEK", "BIG_DIF"},
      {"XYZABC", "ANYTHING"},
      {"", ""},
      {"MOTFCHLONGER", "MOTDEPLONGERTHANTWELVE"},
  };
  constexpr const char* kVariables[] = {"QAV_VELTA_MSG_RPNFRC", "ZUN_TOLK_XTRAP_WARN",
                                        "ZUN_TOLK_DFFDEP_WARN", "QAV_VELTA_MSG_VRMOTN",
                                        "QAV_VELTA_MSG_UVCHEK"};
  const harness::MessageFilter filter = measured.filter();
  for (const char* value : {static_cast<const char*>(nullptr), "NO", "YES"}) {
    for (const char* variable : kVariables) harness::set_environment(variable, value);
    for (const Question& q : kQuestions) {
      const std::string msgid = q.msgid, subid = q.subid;
      expect_no_allocation("USR_MSGFILTER(" + msgid + ", " + subid + ") with the switches " +
                               (value ? value : "unset"),
                           [&] {
                             filter(msgid.data(), static_cast<int32_t>(msgid.size()), subid.data(),
                                    static_cast<int32_t>(subid.size()));
                           });
      ++calls;
    }
  }
  std::printf("allocation_check: %d calls, %d of them allocated from the heap\n", calls, failures);
  return failures == 0 ? 0 : 1;
}
