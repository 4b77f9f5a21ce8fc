# The test rig: GoogleTest for every target, and Wine (with its own prefix and Xvfb display per
# build tree) for the Windows targets. Included before the warning flags so that GoogleTest's own
# sources are built with its defaults.
enable_testing()

set(QUILLET_RIG_DIR ${CMAKE_BINARY_DIR}/rig)
set(QUILLET_RIG_SCRIPTS ${CMAKE_SOURCE_DIR}/tests/rig)

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's sources for exactly this: build them with the cross compiler.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # Each tree runs under the Wine loader of its own word size (tests/rig/wine-env.sh). Where
  # this machine cannot run it, every Wine test ends with this status: reported as skipped.
  set(QUILLET_WINE_SKIP_STATUS 77) # rig_skip_status in tests/rig/wine-env.sh
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QUILLET_WINE_BITS 32)
  else()
    set(QUILLET_WINE_BITS 64)
  endif()
  add_test(NAME rig.wine.start COMMAND ${QUILLET_RIG_SCRIPTS}/wine-fixture start ${QUILLET_RIG_DIR})
  add_test(NAME rig.wine.stop COMMAND ${QUILLET_RIG_SCRIPTS}/wine-fixture stop ${QUILLET_RIG_DIR})
  set_tests_properties(rig.wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(rig.wine.stop PROPERTIES FIXTURES_CLEANUP wine)
  set_tests_properties(rig.wine.start rig.wine.stop PROPERTIES
    ENVIRONMENT QUILLET_WINE_BITS=${QUILLET_WINE_BITS} SKIP_RETURN_CODE ${QUILLET_WINE_SKIP_STATUS})
else()
  find_package(GTest REQUIRED)
endif()

# Properties every test of this tree needs: under Wine the prefix, display, word size and
# fixture, and the status of a skipped test. NOWINE: a test of a Windows tree that runs no Wine.
#   quillet_test_environment(test [NOWINE])
function(quillet_test_environment test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
    "QUILLET_RIG_DIR=${QUILLET_RIG_DIR}"
    "QUILLET_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "QUILLET_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(CMAKE_CROSSCOMPILING AND NOT "${ARGN}" STREQUAL "NOWINE")
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "QUILLET_WINE_BITS=${QUILLET_WINE_BITS}")
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine)
    set_property(TEST ${test} APPEND PROPERTY LABELS wine)
    set_property(TEST ${test} PROPERTY SKIP_RETURN_CODE ${QUILLET_WINE_SKIP_STATUS})
  endif()
  if(QUILLET_SANITIZE)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0"
      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/rig/lsan.supp:print_suppressions=0")
  endif()
  if(QUILLET_TSAN)
    # A race ends the program with a status of its own, whatever the test made of its output.
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
      "TSAN_OPTIONS=halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=${CMAKE_SOURCE_DIR}/tests/rig/tsan.supp")
  endif()
endfunction()

# One GoogleTest program, run as one test (a Wine start per test case would cost seconds each).
#   quillet_add_gtest(NAME name SOURCES ... LIBRARIES ...)
function(quillet_add_gtest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest_main GTest::gtest)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  quillet_test_environment(${T_NAME})
  set_property(TEST ${T_NAME} PROPERTY TIMEOUT 300)
endfunction()

# A process-level test: a shell script that starts real programs and checks what they did.
# In a Windows tree it runs through tests/rig/wine-gate, which skips it where this machine cannot
# run the tree's Wine; NOWINE marks a script that runs no Windows program.
#   quillet_add_script_test(NAME name SCRIPT path [ARGS ...] [LABELS ...] [TIMEOUT s] [NOWINE])
function(quillet_add_script_test)
  cmake_parse_arguments(T "NOWINE" "NAME;SCRIPT;TIMEOUT" "ARGS;LABELS" ${ARGN})
  set(command bash ${T_SCRIPT} ${T_ARGS})
  set(nowine)
  if(T_NOWINE)
    set(nowine NOWINE)
  elseif(CMAKE_CROSSCOMPILING)
    list(PREPEND command ${QUILLET_RIG_SCRIPTS}/wine-gate)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${command})
  quillet_test_environment(${T_NAME} ${nowine})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_property(TEST ${T_NAME} PROPERTY TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_property(TEST ${T_NAME} APPEND PROPERTY LABELS ${T_LABELS})
  endif()
endfunction()
