# kelvarro_dx: its start on the synthetic data set, with the display choice
# from the registry and from its dialog.
add_test(NAME kelvarro_dx_start
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/dx_start.sh $<TARGET_FILE:kelvarro_dx> $<TARGET_FILE:kelvdata>
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_dx_start)
set_tests_properties(kelvarro_dx_start PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}")
# The scenes of kelvarro_glide's race pictures drawn by kelvarro_dx, each
# compared with its Glide twin within the tolerances the script states.
add_executable(picture_twin programs/picture_twin.cpp sanitizer_defaults.cpp)
target_link_libraries(picture_twin PRIVATE kelv_test_support kelv_platform)
add_test(NAME kelvarro_dx_race_pictures
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/dx_race_pictures.sh $<TARGET_FILE:kelvarro_dx>
          $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata> $<TARGET_FILE:picture_twin>
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_dx_race_pictures)
set_tests_properties(kelvarro_dx_race_pictures PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 1500)
# A kelvarro_glide host and a kelvarro_dx client race each other over the
# loopback, checked from their capture files by race_check. Alone, as the
# other network races: the race runs at the games' own frame rates.
add_test(NAME kelvarro_dx_net_race_cross
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/net_race_cross.sh $<TARGET_FILE:kelvarro_glide>
          $<TARGET_FILE:kelvarro_dx> $<TARGET_FILE:kelvdata> $<TARGET_FILE:race_check>
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_dx_net_race_cross)
set_tests_properties(kelvarro_dx_net_race_cross PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 900 RUN_SERIAL TRUE)
