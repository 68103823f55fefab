# Fails when a file of the game (game/, sound/, input/, and the start-up in
# shell/) includes anything of a backend or of a platform library.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/game/*.cpp ${SOURCE_DIR}/game/*.h
  ${SOURCE_DIR}/sound/*.cpp ${SOURCE_DIR}/sound/*.h
  ${SOURCE_DIR}/input/*.cpp ${SOURCE_DIR}/input/*.h)
# The start-up and the window's layout, not the backends below shell/platform.
file(GLOB shell_files ${SOURCE_DIR}/shell/*.cpp ${SOURCE_DIR}/shell/*.h)
list(APPEND files ${shell_files})
set(bad "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "SDL|windows\\.h|dsound|dinput|X11|platform/(sdl|sim|win32)/")
      list(APPEND bad "${f}: ${line}")
    endif()
  endforeach()
endforeach()
if(bad)
  string(REPLACE ";" "\n" bad "${bad}")
  message(FATAL_ERROR "Game code reaches past the platform interface:\n${bad}")
endif()
