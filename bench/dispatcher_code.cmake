# Reads the machine code of the dispatchers in the built 32-bit Windows DLL and prints,
# for each:
#  - path: the instructions on its longest path from its entry to a jump that leaves it
#    (an indirect jump, or a jump or return out of it), every branch followed both ways;
#  - body: the instructions reachable from its entry;
#  - the stores into stack slots among them (a mov into a slot addressed through %esp or
#    %ebp, or a push of a word read from memory; pushing and popping a register is not
#    counted);
#  - the jump stubs whose addresses it takes (code of this DLL that is one indirect jump:
#    an import reached through a stub rather than through its import-table slot).
# A dispatcher should hand its words on where they lie and jump once, so it fails when it
# stores any word, takes a stub, loops, or exceeds MAX_PATH or MAX_BODY instructions.
#   cmake -DDLL=gyrix_solver.dll -DOBJDUMP=i686-w64-mingw32-objdump
#         -DDISPATCHERS=_CONSUB@8,_DIFSUB@28,... [-DPDBUTIL=llvm-pdbutil -DPDB=gyrix_solver.pdb]
#         [-DMAX_PATH=12] [-DMAX_BODY=12] [-DJUDGE=OFF] -P bench/dispatcher_code.cmake
# DISPATCHERS comes from the contract table (the build passes the exported names of
# GYRIX_DISPATCHER_ENTRIES).
# A DLL that lld linked has no symbol table: PDBUTIL and PDB then tell where each lies.
cmake_minimum_required(VERSION 3.25)
if(NOT DLL OR NOT OBJDUMP OR NOT DISPATCHERS)
  message(FATAL_ERROR "dispatcher_code: give -DDLL=<library>, -DOBJDUMP=<objdump> and "
                      "-DDISPATCHERS=<exported name>,...")
endif()
if(NOT DEFINED MAX_PATH)
  set(MAX_PATH 12)
endif()
if(NOT DEFINED MAX_BODY)
  set(MAX_BODY 12)
endif()
if(NOT DEFINED JUDGE)
  set(JUDGE ON)
endif()

string(REPLACE "," ";" dispatchers "${DISPATCHERS}")
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

set(report "| dispatcher | path | body | stack stores | jump stubs |\n"
           "|---|---:|---:|---:|---:|\n")
string(CONCAT report ${report})
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

  # The instructions in order, padding aside: at_(i) its address, code_(i) its text.
  set(count 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^ *([0-9a-f]+):\t(.*)$")
      continue()
    endif()
    set(address ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" instruction)
    if(instruction MATCHES "${padding}")
      continue()
    endif()
    set(at_${count} ${address})
    set(index_${address} ${count})
    set(code_${count} "${instruction}")
    math(EXPR count "${count} + 1")
  endforeach()
  if(count EQUAL 0)
    message(FATAL_ERROR "dispatcher_code: no code found for ${dispatcher} in ${DLL}")
  endif()

  # successors_(i): where the instruction i goes on within the dispatcher. A jump
  # through a register or memory, a jump elsewhere or a return leaves it.
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    set(code "${code_${i}}")
    math(EXPR next "${i} + 1")
    set(successors_${i} "")
    if(code MATCHES "^(jmp|ret)")
      if(code MATCHES "^jmp +([0-9a-f]+) <" AND DEFINED index_${CMAKE_MATCH_1})
        set(successors_${i} ${index_${CMAKE_MATCH_1}})
      endif()
    elseif(code MATCHES "^j[a-z]+ +([0-9a-f]+) <")
      if(DEFINED index_${CMAKE_MATCH_1})
        list(APPEND successors_${i} ${index_${CMAKE_MATCH_1}})
      endif()
      if(next LESS count)
        list(APPEND successors_${i} ${next})
      endif()
    elseif(next LESS count)
      set(successors_${i} ${next})
    endif()
  endforeach()

  # The body: every instruction reachable from the entry (the code that the listing
  # shows after the dispatcher, up to the next symbol, is not its own).
  set(pending 0)
  set(reached "")
  while(NOT pending STREQUAL "")
    list(POP_FRONT pending i)
    if(i IN_LIST reached)
      continue()
    endif()
    list(APPEND reached ${i})
    list(APPEND pending ${successors_${i}})
  endwhile()
  list(LENGTH reached body)
  set(stores 0)
  set(addresses "")
  foreach(i IN LISTS reached)
    if(code_${i} MATCHES "${stack_store}")
      math(EXPR stores "${stores} + 1")
    endif()
    string(REGEX MATCHALL "0x[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]+" taken "${code_${i}}")
    list(APPEND addresses ${taken})
  endforeach()

  # The longest path: longest_(i) is the most instructions from i to a leaving jump,
  # settled backwards from the leaving jumps a pass at a time; what one pass per
  # instruction leaves unsettled lies on a loop.
  foreach(pass RANGE ${last})
    set(settled_all TRUE)
    foreach(i IN LISTS reached)
      if(DEFINED longest_${i})
        continue()
      endif()
      set(most 0)
      set(known TRUE)
      foreach(successor IN LISTS successors_${i})
        if(NOT DEFINED longest_${successor})
          set(known FALSE)
        elseif(longest_${successor} GREATER most)
          set(most ${longest_${successor}})
        endif()
      endforeach()
      if(known)
        math(EXPR longest_${i} "${most} + 1")
      else()
        set(settled_all FALSE)
      endif()
    endforeach()
    if(settled_all)
      break()
    endif()
  endforeach()
  if(NOT DEFINED longest_0)
    message(FATAL_ERROR "dispatcher_code: ${dispatcher} loops")
  endif()
  set(path ${longest_0})
  foreach(i RANGE ${last})
    unset(longest_${i})
    unset(index_${at_${i}})
  endforeach()

  set(stubs 0)
  list(REMOVE_DUPLICATES addresses)
  foreach(address IN LISTS addresses)
    _is_jump_stub(${address} stub)
    if(stub)
      math(EXPR stubs "${stubs} + 1")
    endif()
  endforeach()

  string(APPEND report
         "| `${dispatcher}` | ${path} | ${body} | ${stores} | ${stubs} |\n")
  if(path GREATER MAX_PATH OR body GREATER MAX_BODY OR stores GREATER 0
     OR stubs GREATER 0)
    list(APPEND failures ${dispatcher})
  endif()
endforeach()

message("${report}")
if(failures AND JUDGE)
  message(FATAL_ERROR "dispatcher_code: over the limits (a path of ${MAX_PATH} instructions, "
                      "a body of ${MAX_BODY}, no stack store, no jump stub): ${failures}")
endif()
