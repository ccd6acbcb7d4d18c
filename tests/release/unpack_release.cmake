cmake_minimum_required(VERSION 3.20)
# Unpacks the release ZIP into TO, emptied first.
file(REMOVE_RECURSE ${TO})
file(MAKE_DIRECTORY ${TO})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${TO} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()
