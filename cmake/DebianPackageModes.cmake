# Run by cpack between installing into its staging folder and packing it: the modes in
# the package are the same whatever the umask of the machine that built it (folders and
# programs rwxr-xr-x, other files rw-r--r--), so two builds give the same bytes.
file(GLOB_RECURSE _entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(_entry IN LISTS _entries)
  if(IS_SYMLINK "${_entry}")
    continue()
  endif()
  if(IS_DIRECTORY "${_entry}")
    file(CHMOD "${_entry}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    execute_process(COMMAND test -x "${_entry}" RESULT_VARIABLE _not_executable)
    if(_not_executable)
      file(CHMOD "${_entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    else()
      file(CHMOD "${_entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
           WORLD_READ WORLD_EXECUTE)
    endif()
  endif()
endforeach()
