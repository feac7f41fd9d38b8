# What a desktop needs besides the program, and the Debian package
# (cmake --build build --target package).
set(TV_APP_ID com.example.Tallyvane)
set(TV_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(TV_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tallyvane)
# Relocations resolved at start and then read-only, as Debian builds programs.
target_link_options(tallyvane PRIVATE LINKER:-z,relro LINKER:-z,now)
target_link_options(tallyvane-companion PRIVATE LINKER:-z,relro LINKER:-z,now)

install(FILES ${TV_PACKAGING}/${TV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TV_PACKAGING}/${TV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TV_PACKAGING}/tallyvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${TV_PACKAGING}/icons/${size}x${size}/tallyvane.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TV_PACKAGING}/copyright DESTINATION ${TV_DOCDIR})

# The manual page and the changelog, compressed as Debian wants them.
find_program(TV_SCDOC scdoc)
find_program(TV_GZIP gzip REQUIRED)
set(TV_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${TV_CHANGELOG}
    COMMAND ${TV_GZIP} -9nc ${TV_PACKAGING}/changelog > ${TV_CHANGELOG}
    DEPENDS ${TV_PACKAGING}/changelog VERBATIM)
set(TV_PACKAGED_DOCS ${TV_CHANGELOG})
install(FILES ${TV_CHANGELOG} DESTINATION ${TV_DOCDIR})
if(TV_SCDOC)
  foreach(page tallyvane tallyvane-companion)
    set(manpage ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
    add_custom_command(OUTPUT ${manpage}
        COMMAND ${TV_SCDOC} < ${TV_PACKAGING}/${page}.1.scd > ${CMAKE_BINARY_DIR}/packaging/${page}.1
        COMMAND ${TV_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/${page}.1
        DEPENDS ${TV_PACKAGING}/${page}.1.scd VERBATIM)
    list(APPEND TV_PACKAGED_DOCS ${manpage})
    install(FILES ${manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(WARNING "scdoc not found: the manual pages are not built (apt-get install scdoc)")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_target(tv_packaged_docs ALL DEPENDS ${TV_PACKAGED_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyvane)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_CONTACT "Quillmere <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "collect the links of web pages and open, show or save them")
set(CPACK_PACKAGE_DESCRIPTION "Tallyvane collects lists of web links and works through them. It lists
the links of a web page (frames included, optionally only those to chosen
file types), or takes them from the clipboard or a text file, or numbers a
sequence of addresses; then it opens the links one after another in a
browser window, shows them as a timed slideshow, or downloads their targets
into a folder. It reads pages with a Chromium-family browser.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tallyvane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "chromium | chromium-browser, qt6-wayland")
include(CPack)
