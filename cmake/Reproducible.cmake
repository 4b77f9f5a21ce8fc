# Reproducible releases: two builds of one commit give the same bytes in every file that ships,
# wherever the source lies and whenever it is built, so that anyone can check that a released
# file came from this source (tests/packaging/reproducible_test.sh builds twice and compares).
#
# SOURCE_DATE_EPOCH is the one time that the release's files may carry: the dates in the jar,
# the file times in the Debian package and in the Windows installer. A build takes the
# environment's (a distribution that rebuilds us sets it), and otherwise the last commit's time,
# so that a rebuild of a commit stamps what its release stamped rather than the day of the
# build. It is passed to every tool that stamps a time: the jar tool as an ISO-8601 date, CPack
# (its archives for the Debian package, and packaging/reproducible.cmake, which dates the staged
# files before the DEB and NSIS generators read their times), and gzip runs with -n (no time at
# all). A new commit configures the tree again (the HEAD's log, where git keeps one, is a
# configure dependency), so the time follows the commit.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(QUILLET_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_package(Git QUIET)
  set(QUILLET_SOURCE_DATE_EPOCH)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE QUILLET_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute --git-path logs/HEAD
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT status EQUAL 0)
      set(QUILLET_SOURCE_DATE_EPOCH)
    elseif(EXISTS "${head_log}")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
    endif()
  endif()
  if(QUILLET_SOURCE_DATE_EPOCH STREQUAL "")
    # A source without its history (an unpacked archive): the time of this file as unpacked,
    # which the archive itself recorded.
    file(TIMESTAMP ${CMAKE_CURRENT_LIST_FILE} QUILLET_SOURCE_DATE_EPOCH "%s" UTC)
    message(STATUS "No git history: release files dated by ${CMAKE_CURRENT_LIST_FILE}")
  endif()
endif()
if(NOT QUILLET_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is no number of seconds: '${QUILLET_SOURCE_DATE_EPOCH}'")
endif()
# The same time as an ISO-8601 date (string(TIMESTAMP) reads SOURCE_DATE_EPOCH).
set(saved "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${QUILLET_SOURCE_DATE_EPOCH})
string(TIMESTAMP QUILLET_SOURCE_DATE "%Y-%m-%dT%H:%M:%SZ" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved}")
message(STATUS "Release files dated ${QUILLET_SOURCE_DATE} (SOURCE_DATE_EPOCH ${QUILLET_SOURCE_DATE_EPOCH})")

# No build path in what the compiler writes: the source and build folders become relative
# names in the debug information and in __FILE__ (GCC, MinGW GCC and clang alike; the later
# option wins where the build folder lies in the source folder). The time of the build cannot
# get in either: __DATE__ and __TIME__ are refused.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build
                    -Wdate-time)
if(WIN32)
  # The PE linker writes the time of the link into the file header and the export directory.
  add_link_options(LINKER:--no-insert-timestamp)
endif()
