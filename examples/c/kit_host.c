/* A host written in C against the installed package: it includes only gyrix_solver.h
 * and links the import library (with MinGW:
 *   i686-w64-mingw32-gcc -I PREFIX/include kit_host.c PREFIX/lib/libgyrix_solver.dll.a
 * ), calls each kind of entry point (a dispatcher by its routes and a number without
 * one, entry points without routines, the filter, the start-up, the version report) and
 * prints what each call did, as the stand-ins' journal tells it. Its transcript is the
 * Fortran host's: examples/kit_host.transcript. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gyrix_solver.h"

/* The stand-ins' journal and switches (standins/journal/journal.h), which steer the run:
 * an entry begins with the name of the routine that was called. */
int32_t journal_size(void);
const char* journal_entry(int32_t index);
void journal_clear(void);
void standin_set_errmes_returns(int32_t returns);

static int32_t words[16];
static double par[2];

static void say(const char* text) {
  printf("%s\n", text);
  fflush(stdout);
}

/* Before a call: its line, and an empty journal. */
static void calling(const char* what) {
  fflush(stdout);
  printf("> %s\n", what);
  fflush(stdout);
  journal_clear();
}

/* After a call: the routines that it reached. */
static void reached(void) {
  int32_t i;
  printf("  reached:");
  for (i = 0; i < journal_size(); ++i) printf(" %s", journal_entry(i));
  printf("\n");
  fflush(stdout);
}

typedef void (*Dispatch)(double value);

static void route_and_miss(const char* name, Dispatch call, double route) {
  char line[64];
  double values[2];
  int i;
  values[0] = route;
  values[1] = 902.0;
  for (i = 0; i < 2; ++i) {
    snprintf(line, sizeof line, "%s with PAR(1) = %.1f", name, values[i]);
    calling(line);
    call(values[i]);
    reached();
  }
}

#define W(n) &words[n - 1]
static void consub(double value) {
  par[0] = value;
  CONSUB(par, W(2));
}
static void difsub(double value) {
  par[0] = value;
  DIFSUB(W(1), W(2), par, W(4), W(5), W(6), W(7));
}
static void fiesub(double value) {
  par[0] = value;
  FIESUB(W(1), W(2), par, W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11));
}
static void reqsub(double value) {
  par[0] = value;
  REQSUB(W(1), W(2), par, W(4), W(5), W(6));
}
static void sfosub(double value) {
  par[0] = value;
  SFOSUB(W(1), W(2), par, W(4), W(5), W(6), W(7));
}
static void varsub(double value) {
  par[0] = value;
  VARSUB(W(1), W(2), par, W(4), W(5), W(6), W(7));
}

/* Every entry point without routines: each ends in its report. */
static void unsupplied(void) {
  calling("BRASUB");
  BRASUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("COUSUB");
  COUSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8));
  calling("COUXX");
  COUXX(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8));
  calling("COUXX2");
  COUXX2(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8));
  calling("CURSUB");
  CURSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("DMPSUB");
  DMPSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8));
  calling("GFOSUB");
  GFOSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("GSESUB");
  GSESUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11), W(12), W(13));
  calling("MFOSUB");
  MFOSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11), W(12));
  calling("MOTSUB");
  MOTSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("SENSUB");
  SENSUB(W(1), W(2), W(3), W(4), W(5), W(6));
  calling("STRSUB");
  STRSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("THRSUB");
  THRSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("TIRSUB");
  TIRSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11), W(12), W(13), W(14),
         W(15), W(16));
  calling("UCOSUB");
  UCOSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10));
  calling("VFOSUB");
  VFOSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("VTOSUB");
  VTOSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7));
  calling("CNFSUB");
  CNFSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11), W(12), W(13), W(14),
         W(15));
  calling("CFFSUB");
  CFFSUB(W(1), W(2), W(3), W(4), W(5), W(6), W(7), W(8), W(9), W(10), W(11), W(12), W(13));
}

/* The filter's answer, after the environment setting (or none). "NAME=" removes NAME
 * on Windows and leaves it empty on Linux: both read as blanks. */
static void filter(const char* msgid, const char* subid, char* setting) {
  char line[128];
  int32_t shown;
  if (setting) putenv(setting);
  snprintf(line, sizeof line, "USR_MSGFILTER %s %s%s%s", msgid, subid, setting ? ", " : "",
           setting ? setting : "");
  calling(line);
  shown = USR_MSGFILTER(msgid, (int32_t)strlen(msgid), subid, (int32_t)strlen(subid));
  printf("  answer %d\n", (int)shown);
  reached();
}

int main(void) {
  char uvchek_no[] = "QAV_VELTA_MSG_UVCHEK=NO";
  char uvchek_unset[] = "QAV_VELTA_MSG_UVCHEK=";
  char dffdep_yes[] = "ZUN_TOLK_DFFDEP_WARN=yes";
  char dffdep_unset[] = "ZUN_TOLK_DFFDEP_WARN=";
  double version;
  char line[64];

  say("a host against the installed gyrix_solver; ERRMES told to return");
  standin_set_errmes_returns(1);

  calling("CAR_INIT");
  CAR_INIT();
  reached();
  calling("TK_GYRX_TIRINIT");
  snprintf(line, sizeof line, "  status %d", (int)TK_GYRX_TIRINIT());
  say(line);
  reached();

  route_and_miss("CONSUB", consub, 900.0);
  route_and_miss("DIFSUB", difsub, 1117.0);
  route_and_miss("FIESUB", fiesub, 910.0);
  route_and_miss("REQSUB", reqsub, 904.0);
  route_and_miss("SFOSUB", sfosub, 901.5);
  route_and_miss("VARSUB", varsub, 913.0);
  unsupplied();

  filter("UVCHEK", "BIG_DIFF", NULL);
  filter("UVCHEK", "BIG_DIFF", uvchek_no);
  filter("UVCHEK", "BIG_DIFF", uvchek_unset);
  filter("DFFDEP", "OLD.NE.NU", dffdep_yes);
  filter("DFFDEP", "OLD.NE.NU", dffdep_unset);
  filter("MOTFCH", "MOTDEP", NULL);
  filter("ABCDEF", "ANY", NULL);

  calling("gyrix_solver_version");
  version = gyrix_solver_version();
  fflush(stdout);
  snprintf(line, sizeof line, "  returned %.4f%s", version,
           version == 20080306.152 ? "" : " (not the compile version)");
  say(line);
  say("end");
  return 0;
}
