# The same bytes from every package build of one commit. CPack runs this file twice for each
# generator:
# - as the project's CPack configuration, before it stages anything: the release's time,
#   SOURCE_DATE_EPOCH, goes into CPack's environment, where its archives (the Debian package's ar
#   and tar members, the control files it writes) and the programs it runs take it: the strip
#   of the staged Windows programs writes it as their PE time instead of the time of the strip;
# - before the packing, once the files are staged (and signed, sign.cmake, which changes them):
#   every staged file and folder is dated by that time. Otherwise the package holds the times of
#   the build: the Debian package in its tar headers, the NSIS installer as each installed
#   file's time (makensis keeps them). Their modes are made the same for every builder: what
#   install() does not set (a folder, the configured desktop entry) follows the builder's umask,
#   and the Debian package keeps it; none of them is private.
set(epoch "${CPACK_QUILLET_SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "reproducible.cmake: no release time (CPACK_QUILLET_SOURCE_DATE_EPOCH '${epoch}')")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
if(CPACK_TEMPORARY_INSTALL_DIRECTORY) # set once the files are staged
  function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "Preparing the staged files failed: ${ARGN}: ${output}")
    endif()
  endfunction()
  run(chmod -R u+rwX,go+rX,go-w "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  run(find "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" -exec touch -h -d @${epoch} {} +)
endif()
