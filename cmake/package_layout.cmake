# Read by CPack for each generator. The archives unpack into a project home (bin/cmdtail.exe, where
# daylog starts it); the Debian package installs into the system instead (/usr/bin/cmdtail).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_DAYLOG_SYSTEM_PROJECTS}")
endif()
