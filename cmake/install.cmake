# Installing on Linux and the Linux packages.
#
#   cmake --install build --prefix DIR    the tree below, under DIR
#   cpack --preset linux                  build/floppy-suite_<version>_<arch>.deb (under /usr)
#                                         and build/floppy-suite-<version>-Linux.tar.gz
#
#   bin/                       the seven tools, stripped, and their lower-case names as links to them
#   share/floppy-suite/        talmiro.dat (the converters read it from the current folder)
#   share/man/man1/            the manual pages, compressed; a family's other tools are .so links
#   share/doc/floppy-suite/    README.md and design.md
#
# The .deb adds what a Debian package carries: its copyright file and
# changelog, and the lintian override for the statically linked tools.
# make_talmiro_palette and the test programs are never installed.
include(GNUInstallDirs)

# Each tool has a manual page of its name.
set(suite_installed_tools MORVANTE TOLVA TALMIROX3 TALMIRO3 TALMIROX DUSKAR DUSKARI)
set(suite_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/floppy-suite)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Installed stripped, as the packages are.
install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)")
install(TARGETS ${suite_installed_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The names a Linux user types: morvante, tolva, ... (links installed as links).
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/lower-case-names)
foreach(tool IN LISTS suite_installed_tools)
  string(TOLOWER ${tool} name)
  file(CREATE_LINK ${tool} ${CMAKE_BINARY_DIR}/lower-case-names/${name} SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/lower-case-names/${name} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES data/talmiro.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/floppy-suite)
install(FILES README.md docs/design.md DESTINATION ${suite_doc_dir})

# Manual pages and the changelog are installed compressed at the highest
# level, without a name or time stamp, so the package is the same on every
# build. The .so links name their page as man1/PAGE.1, which man finds
# compressed as well.
find_program(SUITE_GZIP gzip REQUIRED)
function(suite_compressed source compressed)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${SUITE_GZIP} -9nc ${source} > ${compressed}
    DEPENDS ${source} VERBATIM)
endfunction()

set(compressed_pages)
foreach(page IN LISTS suite_installed_tools)
  set(compressed ${CMAKE_BINARY_DIR}/man/man1/${page}.1.gz)
  suite_compressed(${PROJECT_SOURCE_DIR}/docs/man/man1/${page}.1 ${compressed})
  list(APPEND compressed_pages ${compressed})
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man/man1)
set(compressed_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
suite_compressed(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${compressed_changelog})
add_custom_target(suite_install_files ALL DEPENDS ${compressed_pages} ${compressed_changelog})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package's own files: a component that only the .deb takes.
install(FILES packaging/debian/copyright ${compressed_changelog}
  DESTINATION ${suite_doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES packaging/debian/lintian-overrides RENAME floppy-suite
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME floppy-suite)
set(CPACK_PACKAGE_VENDOR "Floppy suite developers")
set(CPACK_PACKAGE_CONTACT "Floppy suite developers <floppy-suite@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console tools to carry files on floppies and convert BMP images")
set(CPACK_PACKAGE_DESCRIPTION [[
Seven small console tools. MORVANTE cuts a file into a numbered set of
parts of whole floppy units (1433600 bytes) and TOLVA joins such a set
back into one file, byte for byte, through a short console dialogue.
TALMIROX3, TALMIRO3 and TALMIROX turn a 500x500 24-bit BMP into an 8-bit
greentone BMP; DUSKAR and DUSKARI give a 1024x768 8-bit capture image a
grey palette for printing, straight or inverted.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is what the tools link against: nothing beyond the C library, and
# nothing at all while they are linked statically.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The .deb is one package of both components; the tarball holds the
# installed tree alone.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-generator.cmake)
include(CPack)
