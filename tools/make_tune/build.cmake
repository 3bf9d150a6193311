# The show's tune: the pattern model and synthesiser as a library (tests use
# its pattern data), and the module written into the build folder.
file(GLOB DM_TUNE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_tune/tune/*.cpp)
add_library(dm_tune STATIC ${DM_TUNE_SOURCES})
target_include_directories(dm_tune PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(make_tune PRIVATE dm_tune)

set(DM_TUNE_FILE ${CMAKE_BINARY_DIR}/driftb.mo3)
add_custom_command(
  OUTPUT ${DM_TUNE_FILE}
  COMMAND make_tune ${DM_TUNE_FILE}
  DEPENDS make_tune
  COMMENT "Writing the show's tune")
add_custom_target(driftb_tune ALL DEPENDS ${DM_TUNE_FILE})
