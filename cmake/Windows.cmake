# The Windows program: a GUI program (no console window, whose closing would end the sync timer)
# with the program's icon and a version resource; the command-line tools get the version resource
# too. Included after every program target exists.
if(NOT WIN32)
  return()
endif()

enable_language(RC)
set(MIRTANE_ICON_FILE ${CMAKE_SOURCE_DIR}/packaging/mirtane.ico)

# Writes a resource script for `target` and adds it to the target's sources.
function(mirtane_add_version_resource target description)
  set(MIRTANE_FILE_DESCRIPTION "${description}")
  set(MIRTANE_INTERNAL_NAME "${target}")
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/mirtane.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

set_target_properties(mirtane PROPERTIES WIN32_EXECUTABLE ON)
mirtane_add_version_resource(mirtane "Mirtane: keeps a branch's SQL Server database in step with head office")
mirtane_add_version_resource(mirtane-sql "Mirtane's command-line SQL tool")
mirtane_add_version_resource(mirtane-demo "Builds Mirtane's demo servers")
