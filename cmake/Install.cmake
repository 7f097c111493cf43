# The install layout (GNUInstallDirs) and the Debian package.
#
#   bin/tarnu, bin/tarnu-pack, bin/tarnu-share, bin/tarnu-catalog
#   <libdir>/tarnu/plugins/                  plug-ins that come with the program
#   include/tarnu/tarnu_plugin.h             the header plug-ins build against
#   share/tarnu/Data/ZuData.dta, ZuIm.qii    the shipped data pack (copied per user) and images
#   share/tarnu/help/, share/tarnu/icons/    the user guide; the window icon without a theme
#   share/applications/tarnu.desktop, share/mime/packages/tarnu.xml
#   share/icons/hicolor/*/apps/tarnu.{png,svg}, share/metainfo/, share/man/man1/
#
# The program finds share/tarnu and the plug-ins relative to its own directory, so any
# prefix works. The build tree keeps its portable layout (see tarnu.portable).

set(_packaging "${PROJECT_SOURCE_DIR}/packaging")
set(_icons "${PROJECT_SOURCE_DIR}/data/icons")

install(TARGETS tarnu tarnu-pack tarnu-share tarnu-catalog RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# The shipped plug-ins with their registry files, and the header plug-ins build against.
install(TARGETS DefFileInfo SelectSameType AddFolderFiles
        LIBRARY DESTINATION "${TARNU_INSTALL_PLUGINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/data/plugins/ext.ini" "${PROJECT_SOURCE_DIR}/data/plugins/qplist.ini"
              "${PROJECT_SOURCE_DIR}/data/plugins/qpactlst.ini"
        DESTINATION "${TARNU_INSTALL_PLUGINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/sdk/tarnu_plugin.h" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/tarnu")

install(FILES "${_packaging}/tarnu.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_packaging}/tarnu.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")
install(FILES "${_packaging}/org.tarnu.tarnu.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The book logo: the theme icon, and one file the program falls back on without a theme.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${_icons}/tarnu-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME tarnu.png)
endforeach()
install(FILES "${_icons}/tarnu.svg" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${_icons}/tarnu-256.png" DESTINATION "${TARNU_INSTALL_DATADIR}/icons" RENAME tarnu.png)
configure_file("${_icons}/tarnu-256.png" "${CMAKE_BINARY_DIR}/icons/tarnu.png" COPYONLY)

# Manual pages and the package's changelog, compressed as Debian wants them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(TARNU_VERSION "${PROJECT_VERSION}")
set(_compressed "")
foreach(source IN ITEMS man/tarnu.1 man/tarnu-pack.1 man/tarnu-share.1 man/tarnu-catalog.1
                       changelog.in)
    get_filename_component(name "${source}" NAME)
    string(REGEX REPLACE "\\.in$" "" name "${name}")
    configure_file("${_packaging}/${source}" "${CMAKE_BINARY_DIR}/packaging/${name}" @ONLY)
    add_custom_command(
        OUTPUT "${CMAKE_BINARY_DIR}/packaging/${name}.gz"
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$1.gz\"" "${GZIP_PROGRAM}" "${name}"
        WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/packaging"
        DEPENDS "${CMAKE_BINARY_DIR}/packaging/${name}"
        VERBATIM)
    list(APPEND _compressed "${CMAKE_BINARY_DIR}/packaging/${name}.gz")
endforeach()
add_custom_target(tarnu_packaging ALL DEPENDS ${_compressed})
install(FILES "${CMAKE_BINARY_DIR}/packaging/tarnu.1.gz" "${CMAKE_BINARY_DIR}/packaging/tarnu-pack.1.gz"
              "${CMAKE_BINARY_DIR}/packaging/tarnu-share.1.gz"
              "${CMAKE_BINARY_DIR}/packaging/tarnu-catalog.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${_packaging}/copyright" "${CMAKE_BINARY_DIR}/packaging/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tarnu")

# cpack -G DEB in the build directory makes tarnu_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME tarnu)
set(CPACK_PACKAGE_VENDOR "The Tarnu developers")
set(CPACK_PACKAGE_CONTACT "Tarnu Developer <dev@tarnu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organizer of links to files and folders")
# Lines of the package description stay under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnu keeps links to files and folders in ZuBooks: trees of virtual
folders saved as one compressed .dua file. Arranging a ZuBook never moves
anything on disk. Around the ZuBook it offers global hot keys that open
links, locking of linked files, a check for broken links, hot folders,
favourite ZuBooks, file sharing on the local network, a disc catalog and
plug-ins. The package also holds command-line companions: tarnu-pack for
Tarnu's archive files, tarnu-share for sharing and tarnu-catalog for the
disc catalog.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# File-type icons when the desktop sets no theme; the book logo's theme.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
