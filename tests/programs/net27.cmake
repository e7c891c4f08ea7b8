# Network races between kelvarro_glide processes on the loopback, each with
# its own configuration, command script and capture file, checked from the
# capture files by race_check.
add_executable(race_check network/race_check/race_check.cpp)
foreach(script net_race_two)
  add_test(NAME kelvarro_glide_${script}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/${script}.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
            $<TARGET_FILE:race_check> ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_${script})
  set_tests_properties(kelvarro_glide_${script} PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 900)
endforeach()

