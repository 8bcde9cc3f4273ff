# The Debian package (cpack -G DEB): the program, mirtane-sql, mirtane-demo and a desktop entry.
# The Windows installer (cpack, NSIS): the same programs with the Qt runtime and plugins, SQLite
# and the compiler runtime beside them, a Start menu entry and, when asked, a start at logon.
# An installed program keeps its Resources folder, logs and servers in the user's data folder.
include(GNUInstallDirs)
install(TARGETS mirtane mirtane-sql mirtane-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT WIN32)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirtane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

set(CPACK_PACKAGE_NAME mirtane)
set(CPACK_PACKAGE_VENDOR "Mirtane")
set(CPACK_PACKAGE_CONTACT "Mirtane developers <mirtane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keeps a branch's SQL Server database in step with head office")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})

if(WIN32)
  include(cmake/WindowsInstaller.cmake)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION database)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, qt6-qpa-plugins, libsqlite3-0, libodbc2 | libodbc1, unixodbc")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc")
endif()
include(CPack)
