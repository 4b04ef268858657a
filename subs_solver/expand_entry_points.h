// Expands the binary contract, entry_points.def, with the line macros that the includer
// has defined (DISPATCHER, ROUTE, UNSUPPLIED, STDCALL, PLAIN; the table's head explains
// them); a kind of line left undefined expands to nothing. All five are undefined after,
// so that the next expansion starts afresh. Included once per expansion: no include guard.
#ifndef DISPATCHER
#define DISPATCHER(name, words, par_word, report_name)
#endif
#ifndef ROUTE
#define ROUTE(dispatcher, number, routine)
#endif
#ifndef UNSUPPLIED
#define UNSUPPLIED(name, words, report_name)
#endif
#ifndef STDCALL
#define STDCALL(name, words)
#endif
#ifndef PLAIN
#define PLAIN(name)
#endif

#include "entry_points.def"

#undef DISPATCHER
#undef ROUTE
#undef UNSUPPLIED
#undef STDCALL
#undef PLAIN
