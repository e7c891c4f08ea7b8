# The setup program writes a configuration headless that kelvarro_glide, and
# then kelvarro_dx on a Direct3D installation, start with.
add_test(NAME kelvsetup_then_games
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/setup_then_games.sh $<TARGET_FILE:kelvsetup> $<TARGET_FILE:kelvarro_glide>
          $<TARGET_FILE:kelvarro_dx> $<TARGET_FILE:kelvdata> ${CMAKE_CURRENT_BINARY_DIR}/kelvsetup_then_games)
set_tests_properties(kelvsetup_then_games PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 600)
