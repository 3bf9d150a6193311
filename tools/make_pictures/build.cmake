# The picture generator's check: a test runs it and compares its output with
# the committed pictures byte for byte. The tests are defined after this file
# is read, so the wiring waits until the end of the top directory.
function(dm_wire_make_pictures_test)
  if(TARGET make_pictures AND TARGET dm_tests)
    target_compile_definitions(dm_tests PRIVATE DM_MAKE_PICTURES="$<TARGET_FILE:make_pictures>")
    add_dependencies(dm_tests make_pictures)
  endif()
endfunction()
cmake_language(DEFER CALL dm_wire_make_pictures_test)
