# Network races between kelvarro_glide processes on the loopback, each with
# its own configuration, command script, input script and capture file,
# checked from the capture files by race_check.
add_executable(race_check network/race_check/race_check.cpp)
# A machine of the session that floods the others with damaged messages,
# for net_race_hostile.sh.
add_executable(hostile_peer network/hostile/hostile_peer.cpp sanitizer_defaults.cpp)
target_link_libraries(hostile_peer PRIVATE kelv_network kelv_frontend kelv_race kelv_riders kelv_ui kelv_world kelv_render_glide kelv_engine kelv_platform)

# Each runs alone: the send rates and the remote rider's lag it checks are
# the game's at its own frame rate, which a machine busy with other tests
# does not give. The bound is for sanitized games at a sixth of their frame
# rate.
foreach(script net_race_two net_race_loss net_race_gone net_race_migrate net_race_hostile)
  add_test(NAME kelvarro_glide_${script}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/${script}.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
            $<TARGET_FILE:race_check> ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_${script} $<TARGET_FILE:hostile_peer>)
  set_tests_properties(kelvarro_glide_${script} PROPERTIES ENVIRONMENT "${KELV_PROGRAM_TEST_ENV}" TIMEOUT 900 RUN_SERIAL TRUE)
endforeach()
# These two ride over a minute at the full frame rate before their riders
# are put out, and the input script counts frames: at a sixth of the frame
# rate that minute takes six.
set_tests_properties(kelvarro_glide_net_race_two kelvarro_glide_net_race_migrate PROPERTIES TIMEOUT 1500)
