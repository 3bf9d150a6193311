# The contact sheet of the carried pictures, build/pictures.png, made with
# every build from the pictures as the program embeds them.
if(TARGET contact_sheet)
  target_link_libraries(contact_sheet PRIVATE dm_core PkgConfig::PNG)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/pictures.png
    COMMAND contact_sheet ${CMAKE_BINARY_DIR}/pictures.png
    DEPENDS contact_sheet
    COMMENT "Contact sheet of the pictures")
  add_custom_target(pictures_sheet ALL DEPENDS ${CMAKE_BINARY_DIR}/pictures.png)
endif()
