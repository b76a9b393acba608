# Compiler warnings and sanitizer flags shared by every target.
add_compile_options(-Wall -Wextra)

if(HOLDSTILL_SANITIZER STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(HOLDSTILL_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT HOLDSTILL_SANITIZER STREQUAL "")
  message(FATAL_ERROR "HOLDSTILL_SANITIZER must be '', 'address' or 'thread'")
endif()

if(HOLDSTILL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "HOLDSTILL_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # The standard library checks its own preconditions too (an index past a
  # vector's end, a dereferenced empty optional).
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()
