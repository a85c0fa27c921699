# Linux only: the man pages of the programs, the Debian copyright and changelog, and
# the package that `cpack -G DEB` makes in the build folder
# (tavrix-configurator_<version>_<architecture>.deb).

set(_doc ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
set(_generated ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${_generated})

# The man pages are made from the programs' own --help and --version, so they cannot
# drift from them: the tool's and the simulator's in English, whatever the language of
# the machine that builds them, the window's in Russian, the only language it speaks
# (its one-line name stays English: help2man passes it on undecoded).
# help2man reads the help in its own --locale (C unless told), which must be UTF-8.
# gzip -n keeps the pages the same from build to build.
find_program(TAVRIX_HELP2MAN help2man)
find_program(TAVRIX_GZIP gzip)
set(_what_tavrix-configurator "read, change and write the configuration of a Tavrix GSM alarm controller")
set(_what_tavrix-sim "simulate a Tavrix GSM alarm controller on a pseudo-terminal")
set(_what_tavrix-cli "read, write and compare Tavrix controller configurations from the shell")
if(TAVRIX_HELP2MAN AND TAVRIX_GZIP)
  set(_pages "")
  foreach(program IN LISTS TAVRIX_PROGRAMS)
    set(_page ${_generated}/${program}.1)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 LANGUAGE=en ${TAVRIX_HELP2MAN} --locale=C.UTF-8 --no-info --section=1 "--name=${_what_${program}}"
              --output=${_page} $<TARGET_FILE:${program}>
      COMMAND ${TAVRIX_GZIP} -9nf ${_page}
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND _pages ${_page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${_pages})
  install(FILES ${_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man or gzip not found: no man pages (scripts/install-deps.sh installs them)")
endif()

add_custom_command(OUTPUT ${_generated}/changelog.gz
  COMMAND ${TAVRIX_GZIP} -9nc ${CMAKE_SOURCE_DIR}/desktop/debian/changelog > ${_generated}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/desktop/debian/changelog)
add_custom_target(changelog ALL DEPENDS ${_generated}/changelog.gz)
install(FILES desktop/debian/copyright ${_generated}/changelog.gz DESTINATION ${_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavrix <support@tavrix.example>")
set(CPACK_PACKAGE_VENDOR Tavrix)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for Tavrix GSM alarm controllers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Reads the whole configuration of a Tavrix GSM alarm controller over a serial\n"
    "port, shows it on ten pages of a window (in Russian) and writes it back.\n"
    "Configurations can be kept in text files, opened from the file manager and\n"
    "compared with what a controller holds.\n"
    "\n"
    "The package also holds tavrix-cli, which reads, writes and compares the\n"
    "configurations of several controllers at once from the shell, and tavrix-sim,\n"
    "a controller simulator on a pseudo-terminal to try both against.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Reproducible: cpack takes the files' times from SOURCE_DATE_EPOCH (scripts/reproduce.sh
# sets it to the last commit's time); the modes of the files and of the archive's members
# are fixed here.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageModes.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageFinish.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/DebianPackageConfig.cmake.in ${CMAKE_BINARY_DIR}/DebianPackageConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/DebianPackageConfig.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tavrix.example/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from dpkg-shlibdeps; Qt's Russian texts and its Wayland platform
# are plugins and data that no library link names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-wayland")
include(CPack)
