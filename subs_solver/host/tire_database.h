// The tire library's handler installation and the database library's search routine,
// plain C routines. The library hands the address of db_search to stiHanSetDba and
// never calls db_search itself.
#pragma once

#include <cstdint>

#include "platform.h"

extern "C" {

// Looks `key` up in the property database; returns 0 when found.
using DatabaseHandler = int32_t (*)(const char* key, int32_t key_len, double* value);

GYRIX_IMPORT int32_t db_search(const char* key, int32_t key_len, double* value);

// Installs `handler` as the tire library's database handler; 0 on success.
GYRIX_IMPORT int32_t stiHanSetDba(DatabaseHandler handler);

}  // extern "C"
