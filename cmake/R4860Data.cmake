# Data files that must lie beside the executables: the language files are looked up in the
# executable's own folder first, so a build tree runs translated without being installed.

# Copies data/lang/*.lan next to the output of <target> whenever one of them changes.
function(r4860_copy_language_files target)
  file(GLOB lan_files CONFIGURE_DEPENDS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../data/lang/*.lan")
  if(NOT lan_files)
    return()
  endif()
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}_language_files.stamp")
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:${target}>"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${lan_files} "$<TARGET_FILE_DIR:${target}>"
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${lan_files}
    COMMENT "Copying language files beside ${target}"
    VERBATIM)
  add_custom_target(${target}_language_files DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_language_files)
endfunction()

# Installs the language files into the data folder an installed copy searches (share/r4860).
function(r4860_install_language_files)
  file(GLOB lan_files CONFIGURE_DEPENDS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../data/lang/*.lan")
  install(FILES ${lan_files} DESTINATION share/r4860)
endfunction()
