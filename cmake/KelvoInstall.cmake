# `cmake --install`: the program directory under PREFIX/lib/kelvo (found by the program from its own
# location, never written), kelvo and kelvo-cli linked into PREFIX/bin, and the desktop entry, icons and
# AppStream metainfo where the desktop looks for them.
include(GNUInstallDirs)
set(KELVO_PROGRAM_DESTINATION lib/kelvo)

install(DIRECTORY ${KELVO_INSTALL_DIR}/ DESTINATION ${KELVO_PROGRAM_DESTINATION} USE_SOURCE_PERMISSIONS
  PATTERN kelvo-screens EXCLUDE
  PATTERN kelvo.desktop EXCLUDE
  PATTERN icons EXCLUDE)
install(DIRECTORY ${KELVO_INSTALL_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(${CMAKE_SOURCE_DIR}/data/kelvo.metainfo.xml ${CMAKE_BINARY_DIR}/eu.kelvo.Kelvo.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/eu.kelvo.Kelvo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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
