# The program on a machine without any sound output: it starts, plays its
# start-up movie to the end and reaches the main menu as with sound.
string(REPLACE "SDL_AUDIODRIVER=dummy" "SDL_AUDIODRIVER=none" kelv_no_sound_env "${KELV_PROGRAM_TEST_ENV}")
add_test(NAME kelvarro_glide_start_without_sound
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/programs/glide_start.sh $<TARGET_FILE:kelvarro_glide> $<TARGET_FILE:kelvdata>
          ${CMAKE_CURRENT_BINARY_DIR}/kelvarro_glide_start_without_sound)
set_tests_properties(kelvarro_glide_start_without_sound PROPERTIES ENVIRONMENT "${kelv_no_sound_env}")
