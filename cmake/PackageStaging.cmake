# Run by CPack on its staging folder before the package is made.
# The manual pages and the changelog compressed as Debian wants them: gzip -9 without a
# name or time stamp, so the same sources always give the same package.
file(GLOB_RECURSE _files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(f IN LISTS _files)
  if(f MATCHES "/share/man/man[1-9]/[^/]+\\.[1-9]$" OR f MATCHES "/share/doc/tandel/changelog$")
    execute_process(COMMAND gzip -9nf "${f}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Could not compress ${f}")
    endif()
  endif()
endforeach()
# The folders CPack itself made (usr/) follow the builder's umask; every folder of the
# package is root's to change and everybody's to read.
file(GLOB_RECURSE _all LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(d IN LISTS _all)
  if(IS_DIRECTORY "${d}")
    file(CHMOD "${d}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
