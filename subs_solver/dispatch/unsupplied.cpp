// The user-subroutine entry points that have no routines behind them: every call ends
// the run with a report naming the entry point. The arguments are never looked at.
#include "dispatch/fatal_report.h"
#include "dispatch/report_texts.h"
#include "host/element_routines.h"

using gyrix::report_unsupplied;
namespace texts = gyrix::texts;

extern "C" {

void GYRIX_CALL BRASUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kBra); }
void GYRIX_CALL COUSUB(Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kCou);
}
void GYRIX_CALL COUXX(Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kCxx);
}
void GYRIX_CALL COUXX2(Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kCxd);
}
void GYRIX_CALL CURSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kCur); }
void GYRIX_CALL DMPSUB(Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kDmp);
}
void GYRIX_CALL GFOSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kGfo); }
void GYRIX_CALL GSESUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word,
                       Word) {
  report_unsupplied(texts::kGse);
}
void GYRIX_CALL MFOSUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kMfo);
}
void GYRIX_CALL MOTSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kMot); }
void GYRIX_CALL SENSUB(Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kSen); }
void GYRIX_CALL STRSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kStr); }
void GYRIX_CALL THRSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kThr); }
void GYRIX_CALL TIRSUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word,
                       Word, Word, Word) {
  report_unsupplied(texts::kTir);
}
void GYRIX_CALL UCOSUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word) {
  report_unsupplied(texts::kUco);
}
void GYRIX_CALL VFOSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kVfo); }
void GYRIX_CALL VTOSUB(Word, Word, Word, Word, Word, Word, Word) { report_unsupplied(texts::kVto); }
void GYRIX_CALL CNFSUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word,
                       Word, Word) {
  report_unsupplied(texts::kCnf);
}
void GYRIX_CALL CFFSUB(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word,
                       Word) {
  report_unsupplied(texts::kCff);
}

}  // extern "C"
