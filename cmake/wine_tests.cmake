# Windows programs' tests run under Wine, through the toolchain's emulator
# (scripts/wine-run.sh): one prefix for the build tree, booted by the first test that
# needs it, and its wineserver stopped after the last.
set(GYRIX_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)

add_test(NAME wineserver_stop COMMAND sh -c "wineserver -k 2>/dev/null; exit 0")
set_tests_properties(wineserver_stop PROPERTIES ENVIRONMENT WINEPREFIX=${GYRIX_WINE_PREFIX}
                     FIXTURES_CLEANUP wine)

# gyrix_wine_tests(TEST...): these tests run a Windows program under Wine.
function(gyrix_wine_tests)
  set_tests_properties(${ARGN} PROPERTIES ENVIRONMENT WINEPREFIX=${GYRIX_WINE_PREFIX}
                       FIXTURES_REQUIRED wine)
endfunction()
