# Run by cpack after it made the package: fixed modes for the archive's members, then
# SHA256SUMS where cpack puts the package (sha256sum -c checks it); the packages are
# still in cpack's own folder at this point, under the names they will have.
find_program(_python python3 REQUIRED)
set(_sums "")
foreach(_package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${_python} ${CMAKE_CURRENT_LIST_DIR}/DebianPackageArModes.py ${_package}
    COMMAND_ERROR_IS_FATAL ANY)
  get_filename_component(_name ${_package} NAME)
  file(SHA256 ${_package} _sum)
  string(APPEND _sums "${_sum}  ${_name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${_sums}")
