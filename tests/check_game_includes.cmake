# Fails when a file of the game (game/, sound/, input/, and the start-up in
# shell/) includes anything of a backend or of a platform library.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/game/*.cpp ${SOURCE_DIR}/game/*.h
  ${SOURCE_DIR}/sound/*.cpp ${SOURCE_DIR}/sound/*.h
  ${SOURCE_DIR}/input/*.cpp ${SOURCE_DIR}/input/*.h
  ${SOURCE_DIR}/shell/*.cpp ${SOURCE_DIR}/shell/*.h)
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
