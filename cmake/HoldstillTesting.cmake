# holdstill_add_test(NAME SOURCES src... [LIBS lib...] [THREADS])
#
# Adds one GoogleTest executable and registers its tests with ctest. THREADS
# marks a suite whose code crosses threads: it gets the ctest label "threads"
# and joins the `threaded-tests` target that the ThreadSanitizer build runs.
find_package(GTest REQUIRED)
include(GoogleTest)

function(holdstill_add_test name)
  cmake_parse_arguments(T "THREADS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    HOLDSTILL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    HOLDSTILL_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
  set(labels ${name})
  if(T_THREADS)
    list(APPEND labels threads)
    set_property(GLOBAL APPEND PROPERTY HOLDSTILL_THREADED_TESTS ${name})
  endif()
  # gtest_discover_tests cannot carry a list-valued property (LABELS a;b
  # arrives as LABELS a b), so the labels are set by a ctest include file
  # that runs after the discovered tests have been added.
  gtest_discover_tests(${name}
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 60)
  set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${label_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
endfunction()

# Called once at the end of the top-level list file.
function(holdstill_finish_tests)
  get_property(threaded GLOBAL PROPERTY HOLDSTILL_THREADED_TESTS)
  add_custom_target(threaded-tests)
  if(threaded)
    add_dependencies(threaded-tests ${threaded})
  endif()
endfunction()
