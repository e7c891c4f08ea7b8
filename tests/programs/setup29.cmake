# The setup program writes a configuration headless that kelvarro_glide then
# starts with.
add_test(NAME kelvsetup_then_glide
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/setup_then_glide.sh $<TARGET_FILE:kelvsetup> $<TARGET_FILE:kelvarro_glide>
          $<TARGET_FILE:kelvdata> ${CMAKE_CURRENT_BINARY_DIR}/kelvsetup_then_glide)
set_tests_properties(kelvsetup_then_glide PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 600)
