# Two Debian packages from one tree, built by scripts/packages.sh with CPack's DEB generator:
# tessaran (the console, the plug-in, the host libraries) and rmonprobe (the agent as a
# service). Dependencies come from the binaries (dpkg-shlibdeps), the version from project().
# Installing builds nothing: scripts/packages.sh builds the targets `programs` and
# `package_files` first (the whole tree holds tests and benchmarks the packages leave out).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessaran developers <developers@tessaran.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessaran.example.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL tessaran rmonprobe)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The console's own libraries are private: dpkg-shlibdeps finds them in the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/tessaran-${PROJECT_VERSION}-Linux/tessaran/usr/${CMAKE_INSTALL_LIBDIR}/tessaran)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_TESSARAN_PACKAGE_NAME tessaran)
set(CPACK_DEBIAN_TESSARAN_PACKAGE_DEPENDS "ieee-data, fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_TESSARAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei, rmonprobe")
set(CPACK_COMPONENT_TESSARAN_DESCRIPTION
   "RMON conversation viewer for network engineers
The Quillon console with the Tessaran plug-in lists the RMON-1 matrix
conversations of a probe (source, destination, bytes, packets, errors) in a
sortable table that follows the probe every ten seconds, puts names on
addresses, draws live graphs of chosen conversations and a conversation
matrix of linked hosts. SNMP v1, v2c and v3.")

set(CPACK_DEBIAN_RMONPROBE_PACKAGE_NAME rmonprobe)
set(CPACK_DEBIAN_RMONPROBE_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_RMONPROBE_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/rmonprobe/conffiles
    ${CMAKE_SOURCE_DIR}/packaging/rmonprobe/postinst
    ${CMAKE_SOURCE_DIR}/packaging/rmonprobe/prerm
    ${CMAKE_SOURCE_DIR}/packaging/rmonprobe/postrm)
set(CPACK_DEBIAN_TESSARAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/tessaran/conffiles)
set(CPACK_COMPONENT_RMONPROBE_DESCRIPTION
   "RMON-1 matrix probe of live Ethernet traffic
rmonprobe captures the frames of one or more interfaces (or replays a capture
file) and serves the RMON-1 matrix, statistics and interface tables over SNMP
v1, v2c and v3. It runs as a systemd service under its own unprivileged user
with the CAP_NET_RAW capability only. Unconfigured, it answers the read-only
community public on 127.0.0.1:1161 from the loopback interface only.")

include(CPack)
