// The six user-subroutine entry points that route by PAR(1) to the element library.
#include "dispatch/route_tables.h"

using gyrix::dispatch;
namespace routes = gyrix::routes;

extern "C" {

void GYRIX_CALL CONSUB(Word par, Word a) { dispatch<routes::kCon>(par, a); }

void GYRIX_CALL DIFSUB(Word a, Word b, Word par, Word c, Word d, Word e, Word f) {
  dispatch<routes::kDif>(a, b, par, c, d, e, f);
}

void GYRIX_CALL FIESUB(Word a, Word b, Word par, Word c, Word d, Word e, Word f, Word g, Word h,
                       Word i, Word j) {
  dispatch<routes::kFie>(a, b, par, c, d, e, f, g, h, i, j);
}

void GYRIX_CALL REQSUB(Word a, Word b, Word par, Word c, Word d, Word e) {
  dispatch<routes::kReq>(a, b, par, c, d, e);
}

void GYRIX_CALL SFOSUB(Word a, Word b, Word par, Word c, Word d, Word e, Word f) {
  dispatch<routes::kSfo>(a, b, par, c, d, e, f);
}

void GYRIX_CALL VARSUB(Word a, Word b, Word par, Word c, Word d, Word e, Word f) {
  dispatch<routes::kVar>(a, b, par, c, d, e, f);
}

}  // extern "C"
