# `cmake --install`: the program directory under PREFIX/lib/kelvo (found by the program from its own
# location, never written), kelvo and kelvo-cli linked into PREFIX/bin, and the desktop entry, icons and
# AppStream metainfo where the desktop looks for them.
include(GNUInstallDirs)
set(KELVO_PROGRAM_DESTINATION lib/kelvo)

install(DIRECTORY ${KELVO_INSTALL_DIR}/ DESTINATION ${KELVO_PROGRAM_DESTINATION} USE_SOURCE_PERMISSIONS
  PATTERN kelvo-screens EXCLUDE
  PATTERN "*-shm" EXCLUDE
  PATTERN "*-wal" EXCLUDE
  PATTERN kelvo.desktop EXCLUDE
  PATTERN icons EXCLUDE)
install(DIRECTORY ${KELVO_INSTALL_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(${CMAKE_SOURCE_DIR}/data/kelvo.metainfo.xml ${CMAKE_BINARY_DIR}/eu.kelvo.Kelvo.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/eu.kelvo.Kelvo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# kelvo-cli's manual page, made from its own --help and --version, so it never says other than they do.
find_program(KELVO_HELP2MAN help2man REQUIRED)
set(KELVO_MANUAL ${CMAKE_BINARY_DIR}/man/kelvo-cli.1)
add_custom_command(OUTPUT ${KELVO_MANUAL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${KELVO_HELP2MAN} --no-info --section=1
          "--name=Kelvo's FOCUS Step 3 operations without windows" --output=${KELVO_MANUAL} $<TARGET_FILE:kelvo-cli>
  DEPENDS kelvo-cli
  COMMENT "Writing kelvo-cli's manual page"
  VERBATIM)
add_custom_target(kelvo-cli-manual ALL DEPENDS ${KELVO_MANUAL})
install(FILES ${KELVO_MANUAL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_SOURCE_DIR}/data/completion/kelvo-cli.bash DESTINATION
  ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvo-cli)
install(FILES ${CMAKE_SOURCE_DIR}/data/completion/_kelvo-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)

# The links and the desktop entry name the prefix given at install time, which may differ from the one
# given at configure time.
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\" \"\${root}/${CMAKE_INSTALL_DATADIR}/applications\")
  foreach(program kelvo kelvo-cli)
    file(CREATE_LINK \"../${KELVO_PROGRAM_DESTINATION}/\${program}\" \"\${root}/${CMAKE_INSTALL_BINDIR}/\${program}\"
         SYMBOLIC)
  endforeach()
  set(KELVO_EXEC \"\${prefix}/${CMAKE_INSTALL_BINDIR}/kelvo\")
  configure_file(\"${CMAKE_SOURCE_DIR}/data/kelvo-installed.desktop.in\"
                 \"\${root}/${CMAKE_INSTALL_DATADIR}/applications/eu.kelvo.Kelvo.desktop\" @ONLY)
  message(STATUS \"Installing: \${root}/${CMAKE_INSTALL_DATADIR}/applications/eu.kelvo.Kelvo.desktop\")
")

# The Debian package of what `cmake --install` lays out (scripts/package): kelvo_<version>_amd64.deb in the
# build directory, its runtime dependencies computed from the executables.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepares FOCUS Step 3 surface-water exposure calculations")
set(CPACK_PACKAGE_DESCRIPTION "Kelvo keeps a substance library, generates the FOCUS runs of a substance on a \
crop, lets the user edit application patterns, computes spray-drift deposition and writes the input of the \
models MACRO, PRZM and TOXSWA.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvo developers <kelvo@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQLite driver is a Qt plugin, which the executables do not link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
include(CPack)
