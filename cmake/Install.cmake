# What `cmake --install` lays out, as a Debian system expects it (prefix /usr):
#   tessaran component: bin/quillon; the plug-in and the host libraries in lib/tessaran,
#     found through the programs' RUNPATH; catalogs in share/locale; nodes and ethers in
#     /etc/tessaran; a desktop entry, its icon and quillon(1).
#   rmonprobe component: sbin/rmonprobe, its systemd unit, /etc/rmonprobe/rmonprobe.conf and
#     rmonprobe(8).
# Each package's copyright and changelog go to share/doc/<package>. Only a build configured
# with TESSARAN_SYSTEM_INSTALL reads these places at run time (see CMakeLists.txt).
set(TESSARAN_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tessaran)
set(TESSARAN_UNIT_DIR /lib/systemd/system)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tessaran)
install(TARGETS tessaran parlance platform ksdbapi ksmem32 graphs
        LIBRARY DESTINATION ${TESSARAN_PRIVATE_LIBDIR} COMPONENT tessaran)
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/locale/ DESTINATION ${CMAKE_INSTALL_LOCALEDIR}
        COMPONENT tessaran)
install(FILES ${CMAKE_SOURCE_DIR}/data/nodes ${CMAKE_SOURCE_DIR}/data/ethers
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

# Manual pages and changelogs are installed compressed, as Debian wants them: gzip -n keeps
# the packages reproducible.
# package_files makes them; scripts/packages.sh builds it with the programs.
find_program(GZIP gzip REQUIRED)
add_custom_target(package_files)
function(tessaran_install_gzipped source destination component)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_BINARY_DIR}/packaging/${component}/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/${component}
                       COMMAND ${GZIP} -9nc ${source} > ${output}
                       DEPENDS ${source})
    add_custom_target(gzip_${component}_${name} DEPENDS ${output})
    add_dependencies(package_files gzip_${component}_${name})
    install(FILES ${output} DESTINATION ${destination} COMPONENT ${component})
endfunction()

tessaran_install_gzipped(${packaging}/quillon.1 ${CMAKE_INSTALL_MANDIR}/man1 tessaran)
tessaran_install_gzipped(${packaging}/rmonprobe.8 ${CMAKE_INSTALL_MANDIR}/man8 rmonprobe)
foreach(component tessaran rmonprobe)
    install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${component}
            COMPONENT ${component})
    # A native package's changelog is changelog.gz; the name the file has inside is changelog.
    configure_file(${packaging}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
    tessaran_install_gzipped(${CMAKE_BINARY_DIR}/packaging/changelog
                             ${CMAKE_INSTALL_DATADIR}/doc/${component} ${component})
endforeach()
