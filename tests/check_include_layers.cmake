# The plug-in's layers include one way: frame -> patching -> game -> speech,
# and everything -> common.  The frame's records that every layer reads (the
# log, the settings record, the process-wide state) are the one exception.
# A lower layer that includes a higher one fails here, with the line.
#
#   cmake -DSOURCE=<repository> -P check_include_layers.cmake
set(shared_frame "plugin/frame/(log|settings|plugin_state)\\.h")
# folder | what its files must not include
set(rules
  "plugin/speech|plugin/(game|patching|frame)/"
  "speech|plugin/|configurator/"
  "plugin/game|plugin/(patching|frame)/"
  "common|plugin/|configurator/|speech/")
set(failures "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(SUBLIST parts 1 -1 banned)
  string(JOIN "|" banned ${banned})
  file(GLOB files "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
  foreach(f IN LISTS files)
    file(STRINGS "${f}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
      set(target "${CMAKE_MATCH_1}")
      if(target MATCHES "^(${banned})" AND NOT target MATCHES "^${shared_frame}$")
        file(RELATIVE_PATH rel "${SOURCE}" "${f}")
        string(APPEND failures "  ${rel}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "includes that run against the layers:\n${failures}")
endif()
message(STATUS "every include runs with the layers")
