# Run by CPack after it made the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack writes postinst and postrm scripts that call ldconfig for a package
# holding a shared library; Debian has dpkg run ldconfig through a trigger
# instead (lintian: lacks-ldconfig-trigger, maintscript-calls-ldconfig).
# The runtime package is rebuilt with the trigger and without the scripts;
# its files and their md5sums stay as CPack made them.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${deb}" NAME)
  if(NOT name MATCHES "^libcorvprobe1_.*\\.deb$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-trigger")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
