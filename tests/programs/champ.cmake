# The championship's program tests.
# Pictures of its screens against their references.
add_test(NAME kelvarro_glide_championship_pictures
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/glide_championship_pictures.sh $<TARGET_FILE:kelvarro_glide>
          $<TARGET_FILE:kelvdata> $<TARGET_FILE:picture_check> ${CMAKE_CURRENT_SOURCE_DIR}/references
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_championship_pictures)
set_tests_properties(kelvarro_glide_championship_pictures PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 600)
# A championship round played end to end on the frame clock (practice,
# garage, qualifying, the grid, two motos with their action replays, the
# standings, a save), then loaded again after a restart: the garage's
# repair saved and the next round's practice.
add_test(NAME kelvarro_glide_championship_round
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/glide_championship_round.sh $<TARGET_FILE:kelvarro_glide>
          $<TARGET_FILE:kelvdata> ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_championship_round)
set_tests_properties(kelvarro_glide_championship_round PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 1200)
