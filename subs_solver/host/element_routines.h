// The element routines of elemlib behind the dispatchers. Each takes as many argument
// words as its dispatcher, every word an address that the dispatcher passes on as it
// received it.
#pragma once

#include "host/word_routine.h"

extern "C" {

void GYRIX_CALL CON900(Word, Word);
void GYRIX_CALL CON905(Word, Word);
void GYRIX_CALL CON917(Word, Word);
void GYRIX_CALL CON920(Word, Word);

void GYRIX_CALL DIF901(Word, Word, Word, Word, Word, Word, Word);
void GYRIX_CALL DIF1117(Word, Word, Word, Word, Word, Word, Word);

void GYRIX_CALL FIE900(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word);
void GYRIX_CALL FIE901(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word);
void GYRIX_CALL FIE910(Word, Word, Word, Word, Word, Word, Word, Word, Word, Word, Word);

void GYRIX_CALL REQ904(Word, Word, Word, Word, Word, Word);
void GYRIX_CALL REQ905(Word, Word, Word, Word, Word, Word);
void GYRIX_CALL REQ909(Word, Word, Word, Word, Word, Word);

void GYRIX_CALL SFO901(Word, Word, Word, Word, Word, Word, Word);

void GYRIX_CALL VAR907(Word, Word, Word, Word, Word, Word, Word);
void GYRIX_CALL VAR913(Word, Word, Word, Word, Word, Word, Word);
void GYRIX_CALL VAR1117(Word, Word, Word, Word, Word, Word, Word);

}  // extern "C"
