# Builds the probe, which must fail, naming each replacement.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target forbidden_names_probe
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "game code that reads a clock, sleeps, starts a thread, reads a file or the environment, draws rand() and exits compiled")
endif()
foreach(replacement use_platform_GetTickCount use_a_busy_loop_with_platform_DoEvents the_game_has_one_thread
        use_the_sound_device the_game_reads_no_environment use_platform_EndProgram use_platform_Rnd)
  if(NOT output MATCHES "${replacement}")
    message(FATAL_ERROR "no error names ${replacement}:\n${output}")
  endif()
endforeach()
