# Warnings for the project's own targets; -Werror only where asked for, so
# that a newer compiler's new warning does not break a user's build.
function(tariff_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wsign-conversion)
    if(TARIFF_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
