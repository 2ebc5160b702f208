# cmake -DSRC=dir -DDST=dir -DMODE=overwrite|missing -P CopyTree.cmake
# "missing" copies only files that do not exist yet at the destination.
if(NOT EXISTS "${SRC}")
  return()
endif()
file(GLOB_RECURSE _files RELATIVE "${SRC}" "${SRC}/*")
foreach(f ${_files})
  if(MODE STREQUAL "missing" AND EXISTS "${DST}/${f}")
    continue()
  endif()
  get_filename_component(_dir "${DST}/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${_dir}")
  file(COPY_FILE "${SRC}/${f}" "${DST}/${f}" ONLY_IF_DIFFERENT)
endforeach()
