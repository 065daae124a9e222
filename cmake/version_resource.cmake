# hushlark_version_resource(TARGET FILE_NAME)
# Gives the executable its version information, with the project's version
# and FILE_NAME as its original file name.
function(hushlark_version_resource target fileName)
  set(HUSHLARK_FILE_NAME ${fileName})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
