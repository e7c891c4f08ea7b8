# kelvarro_dx: its start on the synthetic data set, with the display choice
# from the registry and from its dialog.
add_test(NAME kelvarro_dx_start
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/dx_start.sh $<TARGET_FILE:kelvarro_dx> $<TARGET_FILE:kelvdata>
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_dx_start)
set_tests_properties(kelvarro_dx_start PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}")
