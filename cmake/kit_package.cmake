# How build systems find the library in the kit (install component `kit`):
#   lib/cmake/gyrix_solver/   the CMake package: gyrix_solverConfig.cmake with its version
#                             file and the exported targets gyrix_solver::gyrix_solver
#                             (the library, its import library, the include folder) and
#                             gyrix_solver::fortran (the Fortran interface module's source,
#                             compiled into the program that links it)
#   lib/pkgconfig/gyrix_solver.pc   for pkg-config, on Linux and for MinGW
# Every path in them is relative to the folder they lie in, so that they work wherever the
# release's packages are unpacked.
include(CMakePackageConfigHelpers)

# gyrix_kit_package(TARGET): the package files for TARGET, the library.
function(gyrix_kit_package target)
  set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  set(pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  set(staging ${CMAKE_CURRENT_BINARY_DIR}/kit_package)

  # The Fortran interface: the module's source travels to the program that uses it, which
  # compiles it with its own compiler and flags (a .mod file fits one compiler alone).
  add_library(${target}_fortran INTERFACE)
  set_target_properties(${target}_fortran PROPERTIES EXPORT_NAME fortran)
  target_sources(${target}_fortran INTERFACE
                 $<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${CMAKE_INSTALL_INCLUDEDIR}/${target}.f90>)
  target_link_libraries(${target}_fortran INTERFACE ${target})
  install(TARGETS ${target}_fortran EXPORT ${target}_targets)
  install(EXPORT ${target}_targets NAMESPACE ${target}:: FILE ${target}Targets.cmake
          DESTINATION ${package_dir} COMPONENT kit)

  # MSVC's linker and lld-link take the MSVC-style import library, where the kit has one;
  # the exported target names the MinGW one.
  set(msvc_import_library ${CMAKE_INSTALL_LIBDIR}/${target}.lib)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/gyrix_solverConfig.cmake.in
                                ${staging}/${target}Config.cmake
                                INSTALL_DESTINATION ${package_dir}
                                PATH_VARS msvc_import_library)
  # One release year of the host's user-subroutine interface is one major version: a
  # later release of the same year keeps every entry point with its argument words (the
  # host calls them by those), so a program built against 2008.1 links and runs with
  # any 2008.x from 2008.1 on; another year may change them, and is refused.
  write_basic_package_version_file(${staging}/${target}ConfigVersion.cmake
                                   VERSION ${GYRIX_RELEASE_VERSION}
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${staging}/${target}Config.cmake ${staging}/${target}ConfigVersion.cmake
          DESTINATION ${package_dir} COMPONENT kit)

  file(RELATIVE_PATH pkgconfig_prefix /prefix/${pkgconfig_dir} /prefix)
  string(REGEX REPLACE "/$" "" pkgconfig_prefix "${pkgconfig_prefix}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/gyrix_solver.pc.in ${staging}/${target}.pc @ONLY)
  install(FILES ${staging}/${target}.pc DESTINATION ${pkgconfig_dir} COMPONENT kit)

  set_property(GLOBAL APPEND PROPERTY GYRIX_KIT_FILES
               ${package_dir}/${target}Config.cmake ${package_dir}/${target}ConfigVersion.cmake
               ${package_dir}/${target}Targets.cmake ${pkgconfig_dir}/${target}.pc)
endfunction()
