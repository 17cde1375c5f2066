# Per-target compiler options shared by every Kelvasta target.
function(kelvasta_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  # GCC 12 reports false -Wrestrict warnings inside std::string at -O2 and up.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(KELVASTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(KELVASTA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
