# Authenticode signing of the Windows release, run by CPack: before the installer is made, on
# the programs it will hold (quillet.exe, lanyard.dll, as staged and stripped), and after, on
# the installer itself. It signs when QUILLET_SIGN_CERT and QUILLET_SIGN_KEY name a PEM
# certificate and its key (QUILLET_SIGN_TIMESTAMP may name a time-stamp server), and says that
# the release is unsigned when they are not set. A signing that fails fails the package.
set(cert "$ENV{QUILLET_SIGN_CERT}")
set(key "$ENV{QUILLET_SIGN_KEY}")
if(cert STREQUAL "" OR key STREQUAL "")
  if(NOT CPACK_PACKAGE_FILES) # said once, before the installer is made
    message(STATUS "Unsigned release: QUILLET_SIGN_CERT and QUILLET_SIGN_KEY are not set")
  endif()
  return()
endif()
foreach(file IN ITEMS "${cert}" "${key}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "Signing: ${file} does not exist")
  endif()
endforeach()
find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
  message(FATAL_ERROR "Signing: osslsigncode is not installed")
endif()

if(CPACK_PACKAGE_FILES)
  set(files ${CPACK_PACKAGE_FILES} ${QUILLET_MSI_FILE}) # after: the installers (msi.cmake's too)
else()
  file(GLOB_RECURSE files "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe"
                          "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.dll")
endif()
set(timestamp)
if(NOT "$ENV{QUILLET_SIGN_TIMESTAMP}" STREQUAL "")
  set(timestamp -ts "$ENV{QUILLET_SIGN_TIMESTAMP}")
endif()
foreach(file IN LISTS files)
  execute_process(
    COMMAND ${OSSLSIGNCODE} sign -certs "${cert}" -key "${key}" -h sha256
            -n "${CPACK_PACKAGE_NAME}" -i "${CPACK_PACKAGE_HOMEPAGE_URL}" ${timestamp}
            -in "${file}" -out "${file}.signed"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    file(REMOVE "${file}.signed")
    message(FATAL_ERROR "Signing ${file} failed: ${output}")
  endif()
  file(RENAME "${file}.signed" "${file}")
  message(STATUS "Signed ${file}")
endforeach()
