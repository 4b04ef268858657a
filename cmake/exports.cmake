# Export and import lists of the project's shared libraries. An entry is
#   LINK_NAME=EXPORTED_NAME  a routine that the linker knows as LINK_NAME, exported as
#                            EXPORTED_NAME (CONSUB@8=_CONSUB@8 on 32-bit Windows): the
#                            contract's generator writes these, GYRIX_EXPORTS_<library>
#   NAME                     a plain C routine, exported under its own name
# gyrix_export() makes the library export exactly its entries and nothing else, and
# defines <target>_imports, the target through which other binaries link against it.
# On Windows the target's import library ($<TARGET_LINKER_FILE>) resolves the decorated
# names. gyrix_exported_names() gives the names under which entries are exported.

function(_gyrix_entry_names entry internal_var external_var)
  if(entry MATCHES "^([^=]+)=([^=]+)$")
    set(${internal_var} ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(${external_var} ${CMAKE_MATCH_2} PARENT_SCOPE)
  else()
    set(${internal_var} ${entry} PARENT_SCOPE)
    set(${external_var} ${entry} PARENT_SCOPE)
  endif()
endfunction()

# gyrix_exported_names(OUT ENTRY...): the names under which the entries are exported.
function(gyrix_exported_names out_var)
  set(names "")
  foreach(entry IN LISTS ARGN)
    _gyrix_entry_names(${entry} internal external)
    list(APPEND names ${external})
  endforeach()
  set(${out_var} "${names}" PARENT_SCOPE)
endfunction()

function(gyrix_export target)
  set(base ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(exports "")
  set(imports "")
  set(globals "")
  foreach(entry IN LISTS ARGN)
    _gyrix_entry_names(${entry} internal external)
    if(internal STREQUAL external)
      string(APPEND exports "  ${external}\n")
      string(APPEND imports "  ${external}\n")
    else()
      string(APPEND exports "  ${external} = ${internal}\n")
      string(APPEND imports "  ${internal} == ${external}\n")
    endif()
    string(APPEND globals "    ${internal};\n")
  endforeach()

  add_library(${target}_imports INTERFACE)
  if(WIN32)
    set(dll ${target}.dll)
    file(CONFIGURE OUTPUT ${base}.def CONTENT "LIBRARY \"${dll}\"\nEXPORTS\n${exports}" @ONLY)
    file(CONFIGURE OUTPUT ${base}_imports.def CONTENT "LIBRARY \"${dll}\"\nEXPORTS\n${imports}"
         @ONLY)
    # The link runs in this folder under the Makefile generators: there the file goes by
    # its bare name, which keeps the build's path out of the linker's command line (lld
    # writes that into the PDB).
    if(CMAKE_GENERATOR MATCHES "Makefiles")
      target_link_options(${target} PRIVATE ${target}.def)
    else()
      target_link_options(${target} PRIVATE ${base}.def)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${base}.def)

    # The import table must name the decorated exports (_NAME@N); only an import
    # library made from "NAME@N == _NAME@N" lines does that. The linker's own import
    # library (--out-implib) defines __NAME@N, which no caller's NAME@N resolves: after
    # every link this one takes its place, so the build tree, the package and every
    # program that links the target get the right one. dlltool names the library's
    # symbols after the output path it is given: a bare file name, in its folder, keeps
    # the build's folder out of the library and of every link that uses it.
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_DLLTOOL} -d ${base}_imports.def -D ${dll}
                               -l $<TARGET_LINKER_FILE_NAME:${target}>
                       WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:${target}>
                       VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${base}_imports.def)
    target_link_libraries(${target}_imports INTERFACE ${target})
  else()
    file(CONFIGURE OUTPUT ${base}.map CONTENT "{\n  global:\n${globals}  local: *;\n};\n" @ONLY)
    target_link_options(${target} PRIVATE -Wl,--version-script=${base}.map)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${base}.map)
    target_link_libraries(${target}_imports INTERFACE ${target})
  endif()
endfunction()
