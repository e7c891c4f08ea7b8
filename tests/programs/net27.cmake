# Network races between kelvarro_glide processes on the loopback, each with
# its own configuration, command script, input script and capture file,
# checked from the capture files by race_check.
add_executable(race_check network/race_check/race_check.cpp)
# Each runs alone: the send rates and the remote rider's lag it checks are
# the game's at its own frame rate, which a machine busy with other tests
# does not give.
foreach(script net_race_two net_race_loss net_race_gone)
  # Two players' send rates still vary from run to run (1.7 to 5 RIDER_STATE
  # a second, with the blind-steered riders crashing): run on request until
  # that is explained.
  if(script STREQUAL net_race_two)
    set(configurations CONFIGURATIONS full)
  else()
    set(configurations)
  endif()
  add_test(NAME kelvarro_glide_${script} ${configurations}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/${script}.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
            $<TARGET_FILE:race_check> ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_${script})
  set_tests_properties(kelvarro_glide_${script} PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 900 RUN_SERIAL TRUE)
endforeach()

# A machine of the session that floods the others with damaged messages,
# for net_race_hostile.sh. That script and net_race_migrate.sh are run by
# hand (sh SCRIPT GAME KELVDATA RACE_CHECK WORKDIR [HOSTILE_PEER]): on a
# loaded machine the sanitized games under a flood, and the three-machine
# start, do not yet finish within a CI run's bounds.
add_executable(hostile_peer network/hostile/hostile_peer.cpp sanitizer_defaults.cpp)
target_link_libraries(hostile_peer PRIVATE kelv_network kelv_frontend kelv_race kelv_riders kelv_ui kelv_world kelv_render_glide kelv_engine kelv_platform)
