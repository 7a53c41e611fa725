# The Debian package (scripts/package.sh runs cpack -G DEB): everything the install
# rules put under /usr, binaries stripped, dependencies computed by dpkg-shlibdeps, and
# maintainer scripts that create the `tallis` system user and the /var/lib/tallis
# instance the system service runs.
set(CPACK_PACKAGE_NAME tallis)
set(CPACK_PACKAGE_VENDOR "The Tallis developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Runs the Audrey home-automation plug-in on xAP without its host program")
set(CPACK_PACKAGE_DESCRIPTION "Tallis hosts the Audrey plug-in as an xAP node with an emulated host (scripting
interface, devices, INI files, a VBScript engine) and a desktop face (tray icon,
remote-control window, setup dialog). It ships an xAP hub (xaphub), an xAP
command-line tool (xap), a VBScript runner (vbsrun) and a plug-in kit.")
set(CPACK_PACKAGE_CONTACT "The Tallis developers <tallis@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
set(PACKAGE_BINDIR ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR})
configure_file(dist/debian/postinst.in ${CMAKE_BINARY_DIR}/dist/debian/postinst @ONLY)
configure_file(dist/debian/postrm.in ${CMAKE_BINARY_DIR}/dist/debian/postrm @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/dist/debian/postinst ${CMAKE_BINARY_DIR}/dist/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
