# Fails when a core library includes a frontend or host header: the core reaches the machine only
# through the interfaces in src/platform/. Run as `cmake -DSOURCE_DIR=<repo> -P CoreIncludes.cmake`
# (the build does so whenever a core source changes) or include()d at configure time.
if(NOT SOURCE_DIR)
  set(SOURCE_DIR ${PROJECT_SOURCE_DIR})
endif()

set(core_globs)
foreach(dir document expr script graphics media plugins player)
  list(APPEND core_globs ${SOURCE_DIR}/src/${dir}/*.h ${SOURCE_DIR}/src/${dir}/*.cpp)
endforeach()
# The interfaces themselves, not the implementations in the folders below them.
list(APPEND core_globs ${SOURCE_DIR}/src/platform/*.h ${SOURCE_DIR}/src/platform/*.cpp)
if(CMAKE_SCRIPT_MODE_FILE)
  file(GLOB core_files ${core_globs})
else()
  # A new core file makes the build system look again.
  file(GLOB core_files CONFIGURE_DEPENDS ${core_globs})
endif()

# The media and speech libraries are their modules' alone (src/mediamodule, src/speechmodule,
# loaded on first use).
set(forbidden "#[ \t]*include[ \t]*[<\"](platform/(sdl|host|headless)/|mediamodule/|speechmodule/|espeak-ng/|SDL2?/|SDL[_.a-zA-Z0-9]*\\.h|libav[a-z]*/|libsw[a-z]*/|mpv/)")
set(offenders)
foreach(file ${core_files})
  file(STRINGS ${file} lines REGEX "${forbidden}")
  foreach(line ${lines})
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
    string(STRIP "${line}" line)
    list(APPEND offenders "  ${relative}: ${line}")
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n" text)
  message(FATAL_ERROR "Core libraries must not include SDL, host, frontend or media library headers "
                      "(use the interfaces in src/platform/):\n${text}")
endif()
