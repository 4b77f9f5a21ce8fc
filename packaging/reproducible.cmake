# The same bytes from every package build of one commit, whatever the builder's folder, time and
# umask. CPack runs this file three times for each generator:
# - as the project's CPack configuration, before it stages anything: the release's time,
#   SOURCE_DATE_EPOCH, goes into CPack's environment, where its archives (the Debian package's ar
#   and tar members, the control files it writes) and the programs it runs take it: the strip
#   of the staged Windows programs writes it as their PE time instead of the time of the strip;
# - before the packing, once the files are staged (and signed, sign.cmake, which changes them):
#   every staged file and folder is dated by that time. Otherwise the package holds the times of
#   the build: the Debian package in its tar headers, the NSIS installer as each installed
#   file's time (makensis keeps them). Their modes are made the same for every builder: what
#   install() does not set (a folder, the configured desktop entry) follows the builder's umask,
#   and the Debian package keeps it; none of them is private;
# - once the packages are made: the Debian package's ar members (debian-binary, control.tar.gz,
#   data.tar.gz) are files that CPack writes under the builder's umask and whose modes it copies
#   into the ar headers; they get the 0644 that dpkg-deb writes.
set(epoch "${CPACK_QUILLET_SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "reproducible.cmake: no release time (CPACK_QUILLET_SOURCE_DATE_EPOCH '${epoch}')")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "reproducible.cmake: ${ARGN}: ${output}")
  endif()
endfunction()

if(CPACK_PACKAGE_FILES) # the packages are made
  set(debs ${CPACK_PACKAGE_FILES})
  list(FILTER debs INCLUDE REGEX "\\.deb$")
  if(debs)
    find_program(QUILLET_PYTHON3 python3 REQUIRED)
    # An ar header is 60 bytes: name 16, time 12, owner 6, group 6, mode 8, size 10, magic 2.
    run(${QUILLET_PYTHON3} -c [[
import sys
for path in sys.argv[1:]:
    with open(path, 'r+b') as f:
        data = bytearray(f.read())
        if data[:8] != b'!<arch>\n':
            sys.exit(path + ': not an ar archive')
        at = 8
        while at < len(data):
            if data[at + 58:at + 60] != b'`\n':
                sys.exit(path + ': bad ar header at %d' % at)
            size = int(data[at + 48:at + 58])
            data[at + 40:at + 48] = b'100644  '
            at += 60 + size + size % 2
        f.seek(0)
        f.write(data)
]] ${debs})
  endif()
elseif(CPACK_TEMPORARY_INSTALL_DIRECTORY) # the files are staged
  run(chmod -R u+rwX,go+rX,go-w "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  run(find "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" -exec touch -h -d @${epoch} {} +)
endif()
