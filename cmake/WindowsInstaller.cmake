# The Windows installer, Mirtane-<version>-win64.exe (cpack, NSIS: Debian's nsis package provides
# makensis). It installs into Program Files\Mirtane\bin: the programs, the Qt runtime and the Qt
# plugins the program loads, SQLite and the compiler runtime. The uninstaller removes only what
# the installer put there; the operator's Resources, logs and servers live in %APPDATA%\Mirtane
# and stay.

# Qt's CMake packages sit in <prefix>/lib/cmake/Qt6; its DLLs in <prefix>/bin, plugins in <prefix>/plugins.
get_filename_component(MIRTANE_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
foreach(module Core Gui Widgets Network)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# The plugins, each in its folder beside the program, where Qt looks first. The platform and the
# style are needed to show a window at all; TLS and network information where Qt has them.
set(required_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll)
foreach(plugin IN LISTS required_plugins)
  if(NOT EXISTS ${MIRTANE_QT_PREFIX}/plugins/${plugin})
    message(FATAL_ERROR "The Qt plugin ${plugin} is missing from ${MIRTANE_QT_PREFIX}/plugins")
  endif()
endforeach()
file(GLOB optional_plugins RELATIVE ${MIRTANE_QT_PREFIX}/plugins
     ${MIRTANE_QT_PREFIX}/plugins/tls/qcertonlybackend.dll
     ${MIRTANE_QT_PREFIX}/plugins/networkinformation/*.dll)
foreach(plugin IN LISTS required_plugins optional_plugins)
  get_filename_component(folder ${plugin} DIRECTORY)
  install(FILES ${MIRTANE_QT_PREFIX}/plugins/${plugin} DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
endforeach()

# SQLite's DLL sits in bin/ beside the import library's lib/.
get_filename_component(sqlite_lib_folder "${SQLite3_LIBRARY}" DIRECTORY)
find_file(MIRTANE_SQLITE_DLL sqlite3.dll PATHS ${sqlite_lib_folder}/../bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${MIRTANE_SQLITE_DLL} DESTINATION ${CMAKE_INSTALL_BINDIR})

# The runtime of the compiler that built the programs (MinGW-w64's C++, GCC and threads DLLs).
if(MINGW)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The compiler runtime ${dll} was not found (${CMAKE_CXX_COMPILER} says '${path}')")
    endif()
    install(FILES ${path} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
endif()

# With MSVC, its runtime (CMake knows the files).
if(MSVC)
  set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
  include(InstallRequiredSystemLibraries)
endif()

set(CPACK_GENERATOR NSIS)
# A 64-bit installer for a 64-bit program: it writes the native registry view and Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_PACKAGE_FILE_NAME "Mirtane-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Mirtane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Mirtane)
set(CPACK_NSIS_PACKAGE_NAME Mirtane)
set(CPACK_NSIS_DISPLAY_NAME "Mirtane ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/packaging/mirtane.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/packaging/mirtane.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\mirtane.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start menu entry "Mirtane" (bin\mirtane.exe).
set(CPACK_PACKAGE_EXECUTABLES mirtane Mirtane)
# The start at logon is asked for; a silent install (/S) leaves it off. The uninstaller removes it.
# (NSIS texts in single quotes: CPack writes these values into its configuration unescaped.)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  MessageBox MB_YESNO|MB_ICONQUESTION 'Start Mirtane when you log on to Windows?' /SD IDNO IDNO mirtane_no_logon
    CreateShortCut '$SMSTARTUP\\Mirtane.lnk' '$INSTDIR\\bin\\mirtane.exe'
  mirtane_no_logon:
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  Delete '$SMSTARTUP\\Mirtane.lnk'
]=])
