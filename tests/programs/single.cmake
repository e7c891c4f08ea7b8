# The single race played end to end: start-up, title, a practice on each
# course, its results and back to the menu; the options and the credits.
add_test(NAME kelvarro_glide_single_race_flow
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/glide_single_race_flow.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
          $<TARGET_FILE:picture_check> ${CMAKE_CURRENT_SOURCE_DIR}/references ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_single_race_flow)
set_tests_properties(kelvarro_glide_single_race_flow PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 900)
# The quick race played end to end: from the main menu's quick race to its
# event screen, one moto ridden out by the others after the player retires,
# its results and back to the menu.
add_test(NAME kelvarro_glide_quick_race
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/glide_quick_race.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
          $<TARGET_FILE:picture_check> ${CMAKE_CURRENT_SOURCE_DIR}/references ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_quick_race)
set_tests_properties(kelvarro_glide_quick_race PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 1200)
