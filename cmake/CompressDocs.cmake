# Run by CPack on its staging folder before the package is made: the manual pages and the
# changelog compressed as Debian wants them, gzip -9 without a name or time stamp, so the
# same sources always give the same package.
file(GLOB_RECURSE _files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(f IN LISTS _files)
  if(f MATCHES "/share/man/man[1-9]/[^/]+\\.[1-9]$" OR f MATCHES "/share/doc/tandel/changelog$")
    execute_process(COMMAND gzip -9nf "${f}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Could not compress ${f}")
    endif()
  endif()
endforeach()
