#include "dispatch/routine_number.h"

#include <cfenv>

#include "fp_control.h"

namespace gyrix {

static_assert(FE_INVALID == kFpInvalid && FE_INEXACT == kFpInexact);

void raise_masked_fp_exceptions(unsigned exceptions) {
  const unsigned raised = exceptions & masked_fp_exceptions(read_fp_controls());
  if (raised != 0) raise_x87_flags(raised);
}

}  // namespace gyrix
