# Flags shared by every target of the project: warnings, and the sanitizers of the
# native test build. Targets take them by linking gyrix_build_flags.
add_library(gyrix_build_flags INTERFACE)
target_compile_options(gyrix_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                   $<$<BOOL:${GYRIX_WERROR}>:-Werror>)
if(GYRIX_SANITIZE)
  set(GYRIX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
  target_compile_options(gyrix_build_flags INTERFACE ${GYRIX_SANITIZER_FLAGS})
  target_link_options(gyrix_build_flags INTERFACE ${GYRIX_SANITIZER_FLAGS})
endif()
