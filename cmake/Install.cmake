# The installed layout: the program in bin/, its source manager in
# lib/quillon/ (where the program looks, beside its bin/), its text files in
# share/quillon/, and the desktop's entry, icons, metadata and session type.
install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Always lib/quillon, whatever the platform calls its library folder: the
# program looks exactly there.
install(TARGETS quillon_twaindsm LIBRARY DESTINATION lib/quillon)
install(TARGETS quillon_decode quillon_render RUNTIME DESTINATION lib/quillon)
install(FILES resources/about/changes.txt resources/about/credits.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon)
# The manual, which Help opens in the browser.
install(DIRECTORY docs/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon/html)
install(FILES desktop/debian/doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME quillon)

set(quillon_app_id com.kestrow.quillon)
install(FILES desktop/${quillon_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(desktop/${quillon_app_id}.metainfo.xml ${quillon_app_id}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${quillon_app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The session's type of file, made from the sections the loader knows.
add_executable(session_mime desktop/SessionMime.cpp)
target_link_libraries(session_mime PRIVATE quillon_document)
add_custom_command(OUTPUT quillon-mime.xml COMMAND session_mime > quillon-mime.xml DEPENDS session_mime)
add_custom_target(quillon_mime ALL DEPENDS quillon-mime.xml)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quillon-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quillon.xml)
install(FILES desktop/${quillon_app_id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES desktop/icons/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${quillon_app_id}.png)
endforeach()
# The manual page and the changelog compressed as Debian keeps them, with no
# time stamp, so that a rebuild makes the same bytes.
configure_file(desktop/quillon.1 quillon.1 @ONLY)
configure_file(desktop/debian/changelog.in changelog @ONLY)
foreach(page quillon.1 changelog)
    add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9nkf ${page} DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${page})
endforeach()
add_custom_target(quillon_compressed_docs ALL DEPENDS quillon.1.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quillon.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz desktop/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon)

# cpack -G DEB in the build folder makes a Debian package of the above.
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kestrow)
set(CPACK_PACKAGE_CONTACT "Kestrow <support@kestrow.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Graph digitising utility: the data back from a picture of a chart")
set(CPACK_PACKAGE_DESCRIPTION "Quillon reads the data back from a picture of a chart: a scan, a screenshot
or a figure from a paper. Mark the plotting area and the values of its
edges (linear or logarithmic axes, turned for an askew scan), then click on
the curves, or let Quillon follow a curve or find markers by their colour.
The points are listed as data values, copied to the clipboard, written as
text or CSV, and kept with the whole job in a session file. Pictures come
from files, the clipboard or a scanner, and a command line exports and
extracts without a window.")
set(CPACK_STRIP_FILES ON)
# Maintainer scripts of its own: the private library needs no ldconfig.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/desktop/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/desktop/debian/postrm)
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.kestrow.com/quillon/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quillon)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read by Tesseract at run time, so no library names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tesseract-ocr-eng")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
