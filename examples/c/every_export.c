/* Names every entry point of the contract table (subs_solver/contract/
 * entry_points.table) through the installed header alone: a program made of it,
 * linked against an import library, imports each export under the name that the
 * library gives it, or does not link. */
#include "gyrix_solver.h"

typedef void (*Routine)(void);

#define DISPATCHER(name, words, par_word, report) (Routine) name,
#define ROUTE(dispatcher, number, routine)
#define UNSUPPLIED(name, words, report) (Routine) name,
#define STDCALL(name, words) (Routine) name,
#define PLAIN(name) (Routine) name,
#define IMPORT(...)
const Routine every_export[] = {
#include "entry_points.table"
};

/* The program's entry: it is linked, not run. */
int every_export_count(void) {
  int count = 0;
  unsigned i;
  for (i = 0; i < sizeof every_export / sizeof every_export[0]; ++i) count += every_export[i] != 0;
  return count;
}
