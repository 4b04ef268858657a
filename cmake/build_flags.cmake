# Flags shared by every target of the project: warnings, and the sanitizers of the
# native test builds (GYRIX_SANITIZERS, the list for -fsanitize=). Targets take them by linking gyrix_build_flags. The lists are
# kept as variables too, because the build records name them.
set(GYRIX_COMPILE_FLAGS -Wall -Wextra -Wpedantic -Wshadow)
if(GYRIX_WERROR)
  list(APPEND GYRIX_COMPILE_FLAGS -Werror)
endif()
set(GYRIX_LINK_FLAGS "")
if(GYRIX_SANITIZERS)
  set(GYRIX_SANITIZER_FLAGS -fsanitize=${GYRIX_SANITIZERS} -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
  list(APPEND GYRIX_COMPILE_FLAGS ${GYRIX_SANITIZER_FLAGS})
  list(APPEND GYRIX_LINK_FLAGS ${GYRIX_SANITIZER_FLAGS})
endif()

add_library(gyrix_build_flags INTERFACE)
# Only the compilers take them: the resource compiler knows none of these options.
target_compile_options(gyrix_build_flags INTERFACE
                       "$<$<COMPILE_LANGUAGE:C,CXX>:${GYRIX_COMPILE_FLAGS}>")
target_link_options(gyrix_build_flags INTERFACE ${GYRIX_LINK_FLAGS})
