// The one place where the 32-bit Windows build and the native build differ in code.
#pragma once

#if defined(_WIN32) || defined(__i386__)
// The host calls every upper-case entry point, and the library calls the host's
// services and the element routines, with the callee popping its argument words.
// 32-bit Linux builds use it too, so that the convention is exercised where Wine
// cannot run.
#define GYRIX_CALL __attribute__((stdcall))
#else
#define GYRIX_CALL
#endif

// How many leading argument words the calling convention passes in registers: a
// dispatcher whose words all lie there can jump on from any branch (route_table.h).
#if defined(__x86_64__) && !defined(_WIN32)
#define GYRIX_REGISTER_WORDS 6
#else
#define GYRIX_REGISTER_WORDS 0
#endif

// An imported routine whose address is taken must be read from the import table, or
// the address would be that of a jump stub inside the importing library. The
// stand-ins that define those routines build with GYRIX_DEFINES_IMPORTS.
#if defined(_WIN32) && !defined(GYRIX_DEFINES_IMPORTS)
#define GYRIX_IMPORT __declspec(dllimport)
#else
#define GYRIX_IMPORT
#endif

// GYRIX_ROUTINE_CELL(NAME, KIND) declares a constant cell named NAME that holds the
// address of the routine ::NAME, declared before it, which takes the argument words
// of KIND (named to the assembler by GYRIX_KIND_WORDS(KIND, WORDS)): a route table names
// the cell, and a call through it reads the address there. On Windows it is the
// routine's slot in the import table, which the loader fills, so that the call reaches
// the routine in one jump; "hidden" tells the compiler that the slot lies in this
// library, to be addressed directly. Elsewhere, and in the library that defines the
// routine, the address is a constant that the compiler folds into the call.
#if defined(_WIN32) && !defined(GYRIX_DEFINES_IMPORTS)
// The slot's symbol bears the routine's decorated name, __imp__NAME@<4*WORDS>. The
// preprocessor cannot multiply, but the assembler can: in its alternate macro mode a
// macro argument %(EXPRESSION) stands for the expression's value in decimal. So the
// assembler, not a table by word count, spells the name, and gives the slot a second
// name without the count, gyrix_slot_NAME, for the compiler to use. lld takes that alias
// only when it is weak (a plain one "refers to special section 0"); GNU ld takes both.
asm(".altmacro\n"
    ".macro gyrix_import_slot name, bytes\n"
    "  .weak gyrix_slot_\\name\n"
    "  .set gyrix_slot_\\name, __imp__\\name@\\bytes\n"
    ".endm\n"
    ".noaltmacro");
#define GYRIX_KIND_WORDS(kind, words) asm(".set gyrix_words_" #kind ", " #words);
#define GYRIX_ROUTINE_CELL(name, kind)                             \
  asm(".altmacro\n"                                                \
      "gyrix_import_slot " #name ", %(4*gyrix_words_" #kind        \
      ")\n"                                                        \
      ".noaltmacro");                                              \
  extern const decltype(&::name) name __asm__("gyrix_slot_" #name) \
      __attribute__((visibility("hidden")));
#else
#define GYRIX_KIND_WORDS(kind, words)
#define GYRIX_ROUTINE_CELL(name, kind) inline constexpr decltype(&::name) name = ::name;
#endif
