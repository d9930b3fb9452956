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

# Copies the manual (data/help/R4860EN.html and its images/) next to the output of <target>,
# where Help > Help finds it in a build tree, and installs it into share/r4860 for an installed
# copy. The manual belongs to the program that opens it, so it is installed with that program.
function(r4860_copy_help_files target)
  set(help_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../data/help")
  set(html "${help_dir}/R4860EN.html")
  file(GLOB image_files CONFIGURE_DEPENDS "${help_dir}/images/*")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}_help_files.stamp")
  set(copy_images)
  if(image_files)
    set(copy_images COMMAND ${CMAKE_COMMAND} -E copy_if_different ${image_files} "$<TARGET_FILE_DIR:${target}>/images")
  endif()
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:${target}>/images"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${html}" "$<TARGET_FILE_DIR:${target}>"
    ${copy_images}
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS "${html}" ${image_files}
    COMMENT "Copying the manual beside ${target}"
    VERBATIM)
  add_custom_target(${target}_help_files DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_help_files)

  install(FILES "${html}" DESTINATION share/r4860)
  if(image_files)
    install(FILES ${image_files} DESTINATION share/r4860/images)
  endif()
endfunction()

# Copies the example tables (tables/*.dat and their README) into the "Tables" folder beside the
# output of <target>, where the panel looks for a table a parameter file names, and installs
# them once into share/r4860/tables.
function(r4860_copy_table_files target)
  set(table_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tables")
  file(GLOB table_files CONFIGURE_DEPENDS "${table_dir}/*.dat" "${table_dir}/README.md")
  if(NOT table_files)
    return()
  endif()
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}_table_files.stamp")
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:${target}>/Tables"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${table_files} "$<TARGET_FILE_DIR:${target}>/Tables"
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${table_files}
    COMMENT "Copying the example tables beside ${target}"
    VERBATIM)
  add_custom_target(${target}_table_files DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_table_files)
  get_property(installed GLOBAL PROPERTY R4860_TABLES_INSTALLED)
  if(NOT installed)
    install(FILES ${table_files} DESTINATION share/r4860/tables)
    set_property(GLOBAL PROPERTY R4860_TABLES_INSTALLED TRUE)
  endif()
endfunction()
