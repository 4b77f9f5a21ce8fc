# Run by CPack before each generator packs the staged files (after sign.cmake, which changes
# them): every staged file and folder is dated by the release's time, SOURCE_DATE_EPOCH, and
# CPack's own archives (the Debian package's ar and tar members, the control files it writes
# later) are given it too. Without it the package holds the times of the build: the Debian
# package in its tar headers, the NSIS installer as each installed file's time (makensis keeps
# them, SetDateSave).
set(epoch "${CPACK_QUILLET_SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "reproducible.cmake: no release time (CPACK_QUILLET_SOURCE_DATE_EPOCH '${epoch}')")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
execute_process(
  COMMAND find "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" -exec touch -h -d @${epoch} {} +
  RESULT_VARIABLE status ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Dating the staged files failed: ${output}")
endif()
