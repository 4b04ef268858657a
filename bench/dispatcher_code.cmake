# Reads the machine code of the six dispatchers in the built 32-bit Windows DLL and
# prints, for each, the instructions from its entry to its last jump and, among them,
# the stores into stack slots (a mov into a slot addressed through %esp or %ebp, or a
# push of a word read from memory); pushing and popping a register is not counted.
# A dispatcher should hand its words on where they lie, so it fails when a dispatcher
# stores any or has more than MAX_INSTRUCTIONS instructions.
#   cmake -DDLL=gyrix_solver.dll -DOBJDUMP=i686-w64-mingw32-objdump
#         [-DMAX_INSTRUCTIONS=24] [-DJUDGE=OFF] -P bench/dispatcher_code.cmake
if(NOT DLL OR NOT OBJDUMP)
  message(FATAL_ERROR "dispatcher_code: give -DDLL=<library> and -DOBJDUMP=<objdump>")
endif()
if(NOT DEFINED MAX_INSTRUCTIONS)
  set(MAX_INSTRUCTIONS 24)
endif()
if(NOT DEFINED JUDGE)
  set(JUDGE ON)
endif()

set(dispatchers _CONSUB@8 _DIFSUB@28 _FIESUB@44 _REQSUB@24 _SFOSUB@28 _VARSUB@28)
set(padding "^(nop|xchg +%ax,%ax|lea +0x0\\(%e[a-z][a-z],%eiz,1\\),%e[a-z][a-z]|int3)")
set(stack_store "^(mov[a-z]* +.*,(-?0x[0-9a-f]+)?\\(%e[sb]p[^)]*\\)|push[a-z]* +.*\\()")

set(report "| dispatcher | instructions | stack stores |\n|---|---:|---:|\n")
set(failures "")
foreach(dispatcher IN LISTS dispatchers)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn --disassemble=${dispatcher} ${DLL}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dispatcher_code: ${OBJDUMP} failed on ${DLL}")
  endif()
  string(REPLACE ";" "," listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")

  # Instructions in order; the count stops at the last jump, the padding after it aside.
  set(count 0)
  set(stores 0)
  set(counted 0)
  set(stores_counted 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^ *[0-9a-f]+:\t(.*)$")
      continue()
    endif()
    string(STRIP "${CMAKE_MATCH_1}" instruction)
    if(instruction MATCHES "${padding}")
      continue()
    endif()
    math(EXPR count "${count} + 1")
    if(instruction MATCHES "${stack_store}")
      math(EXPR stores "${stores} + 1")
    endif()
    if(instruction MATCHES "^jmp")
      set(counted ${count})
      set(stores_counted ${stores})
    endif()
  endforeach()
  if(counted EQUAL 0)
    message(FATAL_ERROR "dispatcher_code: no jump found in ${dispatcher} of ${DLL}")
  endif()

  string(APPEND report "| `${dispatcher}` | ${counted} | ${stores_counted} |\n")
  if(counted GREATER MAX_INSTRUCTIONS OR stores_counted GREATER 0)
    list(APPEND failures ${dispatcher})
  endif()
endforeach()

message("${report}")
if(failures AND JUDGE)
  message(FATAL_ERROR "dispatcher_code: over the limits (${MAX_INSTRUCTIONS} instructions, "
                      "no stack store): ${failures}")
endif()
