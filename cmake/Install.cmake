# Where `cmake --install` puts the program's desktop files, and how CPack turns the
# installed tree into a Debian package.
include(GNUInstallDirs)

set(TUNELINK_APP_ID com.torvane.Tunelink)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/tunelink.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TUNELINK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/res/icons/tunelink-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tunelink.png)
endforeach()
# The drawing the bitmaps are made from has no outside references, so it serves as is.
install(FILES ${CMAKE_SOURCE_DIR}/tools/skin/art/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME tunelink.svg)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tunelink
        RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunelink)
set(CPACK_PACKAGE_VENDOR Torvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "An internet radio that sits on your desktop like an old radio set")
set(CPACK_PACKAGE_CONTACT "Tunelink developers <tunelink@torvane.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tunelink developers <tunelink@torvane.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.torvane.com/)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library packages come from the binary's own links; the rest are loaded at run
# time (GStreamer elements for HTTP, MP3, AAC and Ogg, an audio sink, the X11
# platform plugin, the font the display draws with, xdg-open for links).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, \
gstreamer1.0-libav, gstreamer1.0-pulseaudio | gstreamer1.0-alsa, qt6-qpa-plugins, \
xdg-utils, fonts-dejavu-core")
include(CPack)
