# Paths of installed files, taken from the Debian package that installs them,
# so that no release's layout is written into the build.
#   velmora_package_file(VAR PACKAGE SUFFIX)
# sets VAR to the shortest path in PACKAGE's file list that ends in SUFFIX
# (the top-level one when a package has several), and stops with the package
# to install when there is none.
function(velmora_package_file var package suffix)
  execute_process(COMMAND dpkg-query -L ${package}
    OUTPUT_VARIABLE files RESULT_VARIABLE status ERROR_QUIET)
  set(found "")
  if(status EQUAL 0)
    string(REPLACE "\n" ";" files "${files}")
    foreach(file IN LISTS files)
      string(LENGTH "${suffix}" suffix_length)
      string(LENGTH "${file}" file_length)
      if(file_length LESS suffix_length)
        continue()
      endif()
      math(EXPR start "${file_length} - ${suffix_length}")
      string(SUBSTRING "${file}" ${start} -1 tail)
      if(tail STREQUAL suffix AND (NOT found OR file_length LESS found_length))
        set(found "${file}")
        set(found_length ${file_length})
      endif()
    endforeach()
  endif()
  if(NOT found)
    message(FATAL_ERROR "No file ending in ${suffix} in package ${package}: run scripts/bootstrap.sh")
  endif()
  set(${var} "${found}" PARENT_SCOPE)
endfunction()
