# What `cmake --install` lays out, as a Debian system expects it (prefix /usr), one
# component a package (debian/rules installs each into its package):
#   tessaran component: bin/quillon; the plug-in and the host libraries in lib/tessaran,
#     found through the programs' RUNPATH; catalogs in share/locale; nodes and ethers in
#     /etc/tessaran; a desktop entry, its icon and quillon(1).
#   rmonprobe component: sbin/rmonprobe, its systemd unit, /etc/rmonprobe/rmonprobe.conf and
#     rmonprobe(8).
# Only a build configured with TESSARAN_SYSTEM_INSTALL reads these places at run time (see
# CMakeLists.txt). Copyright, changelogs and compression are debhelper's.
set(TESSARAN_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tessaran)
set(TESSARAN_UNIT_DIR /lib/systemd/system)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
# Installing builds nothing: debian/rules builds the target `programs` first (the whole tree
# holds tests and benchmarks the packages leave out).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tessaran)
install(TARGETS tessaran parlance platform ksdbapi ksmem32 graphs
        LIBRARY DESTINATION ${TESSARAN_PRIVATE_LIBDIR} COMPONENT tessaran)
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/locale/ DESTINATION ${CMAKE_INSTALL_LOCALEDIR}
        COMPONENT tessaran)
install(FILES ${packaging}/nodes ${packaging}/ethers
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/tessaran COMPONENT tessaran)
install(FILES ${packaging}/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT tessaran)
install(FILES ${packaging}/quillon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT tessaran)

# rmonprobe links no library of the project's.
set_target_properties(rmonprobe PROPERTIES INSTALL_RPATH "")
install(TARGETS rmonprobe RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT rmonprobe)
install(FILES ${packaging}/rmonprobe.service DESTINATION ${TESSARAN_UNIT_DIR} COMPONENT rmonprobe)
install(FILES ${packaging}/rmonprobe.conf
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/rmonprobe COMPONENT rmonprobe)

# The manual pages carry the version.
foreach(page quillon.1 rmonprobe.8)
    configure_file(${packaging}/${page} ${CMAKE_BINARY_DIR}/packaging/${page} @ONLY)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/packaging/quillon.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT tessaran)
install(FILES ${CMAKE_BINARY_DIR}/packaging/rmonprobe.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
        COMPONENT rmonprobe)
