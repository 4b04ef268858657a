# The release as an integrator gets it: cpack makes the build tree's ZIPs, and those of
# the runtime, the kit and the harness (whose stand-ins the example hosts run with) are
# unpacked side by side into PREFIX, a fresh folder. No file of the kit or the runtime may
# name the build tree or the source tree: they work wherever they are unpacked.
#   cmake -DCPACK=<cpack> -DBUILD=<build tree> -DSOURCE=<source tree> -DWORK=<scratch folder>
#         -DPREFIX=<folder> -P unpack_release.cmake
file(REMOVE_RECURSE ${WORK} ${PREFIX})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -B ${WORK}/cpack
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
foreach(component IN ITEMS runtime kit harness)
  file(GLOB archive ${WORK}/cpack/*-${component}.zip)
  file(ARCHIVE_EXTRACT INPUT ${archive} DESTINATION ${PREFIX})
endforeach()

foreach(component IN ITEMS kit runtime)
  file(GLOB archive ${WORK}/cpack/*-${component}.zip)
  file(ARCHIVE_EXTRACT INPUT ${archive} DESTINATION ${WORK}/shipped)
endforeach()
file(REAL_PATH ${BUILD} build_path)
file(REAL_PATH ${SOURCE} source_path)
execute_process(COMMAND grep -rlF -e ${build_path} -e ${source_path} .
                WORKING_DIRECTORY ${WORK}/shipped OUTPUT_VARIABLE naming RESULT_VARIABLE status)
if(status EQUAL 0)
  message(FATAL_ERROR "files of the kit or the runtime name ${build_path} or ${source_path}:\n${naming}")
elseif(NOT status EQUAL 1)
  message(FATAL_ERROR "grep failed (${status})")
endif()
message(STATUS "unpacked into ${PREFIX}; no file of the kit or the runtime names "
               "${source_path} or ${build_path}")
