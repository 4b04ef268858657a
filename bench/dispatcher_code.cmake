# Reads the machine code of the six dispatchers in the built 32-bit Windows DLL and
# prints, for each, the instructions from its entry to its last jump and, among them,
# the stores into stack slots (a mov into a slot addressed through %esp or %ebp, or a
# push of a word read from memory; pushing and popping a register is not counted), and
# the jump stubs whose addresses it takes (code of this DLL that is one indirect jump:
# an import reached through a stub rather than through its import-table slot).
# A dispatcher should hand its words on where they lie and jump once, so it fails when
# a dispatcher stores any word, takes a stub or has more than MAX_INSTRUCTIONS
# instructions.
#   cmake -DDLL=gyrix_solver.dll -DOBJDUMP=i686-w64-mingw32-objdump
#         [-DPDBUTIL=llvm-pdbutil -DPDB=gyrix_solver.pdb]
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

# Whether the code at `address` in the DLL is a jump stub: `jmp *<slot>` and nothing else.
function(_is_jump_stub address out)
  math(EXPR stop "${address} + 8" OUTPUT_FORMAT HEXADECIMAL)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn --start-address=${address}
                          --stop-address=${stop} ${DLL} OUTPUT_VARIABLE code)
  string(REGEX REPLACE "^0x0*" "" at "${address}")
  if(code MATCHES "\n *${at}:\t *jmp +\\*0x[0-9a-f]+ *\n")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

set(report "| dispatcher | instructions | stack stores | jump stubs |\n|---|---:|---:|---:|\n")
set(failures "")
# A DLL without a symbol table (lld's) has its routines' places in its PDB: each
# dispatcher is the code range of its procedure record there.
if(PDBUTIL)
  execute_process(COMMAND ${PDBUTIL} dump --symbols ${PDB} OUTPUT_VARIABLE procedures
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${OBJDUMP} -h ${DLL} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
  if(NOT headers MATCHES "\n +0 \\.text +[0-9a-f]+ +([0-9a-f]+) ")
    message(FATAL_ERROR "dispatcher_code: no .text first in ${DLL}")
  endif()
  set(text_address 0x${CMAKE_MATCH_1})
endif()
foreach(dispatcher IN LISTS dispatchers)
  set(range --disassemble=${dispatcher})
  if(PDBUTIL)
    string(REGEX REPLACE "^_([A-Za-z0-9_]+)@.*$" "\\1" name ${dispatcher})
    if(NOT procedures MATCHES "`${name}`\n[^\n]* addr = 0001:([0-9]+), code size = ([0-9]+)")
      message(FATAL_ERROR "dispatcher_code: no procedure ${name} in ${PDB}")
    endif()
    math(EXPR start "${text_address} + ${CMAKE_MATCH_1}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR stop "${start} + ${CMAKE_MATCH_2}" OUTPUT_FORMAT HEXADECIMAL)
    set(range --start-address=${start} --stop-address=${stop})
  endif()
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${range} ${DLL}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dispatcher_code: ${OBJDUMP} failed on ${DLL}")
  endif()
  string(REPLACE ";" "," listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")

  # Instructions in order; the count stops at the last jump, the padding after it aside.
  set(count 0)
  set(stores 0)
  set(addresses "")
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
    string(REGEX MATCHALL "0x[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]+" taken "${instruction}")
    list(APPEND addresses ${taken})
    if(instruction MATCHES "^jmp")
      set(counted ${count})
      set(stores_counted ${stores})
    endif()
  endforeach()
  if(counted EQUAL 0)
    message(FATAL_ERROR "dispatcher_code: no jump found in ${dispatcher} of ${DLL}")
  endif()

  set(stubs 0)
  list(REMOVE_DUPLICATES addresses)
  foreach(address IN LISTS addresses)
    _is_jump_stub(${address} stub)
    if(stub)
      math(EXPR stubs "${stubs} + 1")
    endif()
  endforeach()

  string(APPEND report "| `${dispatcher}` | ${counted} | ${stores_counted} | ${stubs} |\n")
  if(counted GREATER MAX_INSTRUCTIONS OR stores_counted GREATER 0 OR stubs GREATER 0)
    list(APPEND failures ${dispatcher})
  endif()
endforeach()

message("${report}")
if(failures AND JUDGE)
  message(FATAL_ERROR "dispatcher_code: over the limits (${MAX_INSTRUCTIONS} instructions, "
                      "no stack store, no jump stub): ${failures}")
endif()
