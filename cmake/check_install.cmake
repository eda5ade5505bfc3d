# Installs the build into a scratch prefix and checks that the command-line
# program and its manual page are where a user looks for them.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
foreach(f bin/hivewright-cli share/man/man1/hivewright-cli.1)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "${f} is not installed under ${PREFIX}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/hivewright-cli --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^hivewright-cli ")
  message(FATAL_ERROR "the installed program does not run: ${rc} ${version}")
endif()
file(READ ${PREFIX}/share/man/man1/hivewright-cli.1 page)
if(NOT page MATCHES "\\.SH EXIT STATUS")
  message(FATAL_ERROR "the installed manual page has no EXIT STATUS section")
endif()
file(REMOVE_RECURSE ${PREFIX})
