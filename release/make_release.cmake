cmake_minimum_required(VERSION 3.20)
# Lays out and packs the release (see CMakeLists.txt beside this file).
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
set(SYMBOLS ${DIST}/Quorrim-${VERSION}-symbols)
file(MAKE_DIRECTORY ${SYMBOLS})

# Each binary without its debug sections and without its COFF symbol table
# (--strip-debug alone keeps the table: every function's name and address in
# what the player gets), and the symbols kept beside the release with a link
# from the binary, so a debugger finds them for a crash report.
foreach(binary ${PLUGIN} ${CONFIGURATOR} ${VOICE_ENGINE})
  get_filename_component(name ${binary} NAME)
  execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${binary} ${SYMBOLS}/${name}.debug RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objcopy --only-keep-debug failed on ${binary}")
  endif()
  execute_process(COMMAND ${OBJCOPY} --strip-all --add-gnu-debuglink=${SYMBOLS}/${name}.debug
                          ${binary} ${STAGE}/${name} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objcopy --strip-all failed on ${binary}")
  endif()
endforeach()

# The settings at the configurator's defaults and its default lexicon,
# written by its own code.
execute_process(COMMAND ${EMULATOR} ${WRITE_DEFAULTS} LirraCfg.ini WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${STAGE}/LirraCfg.ini OR NOT EXISTS ${STAGE}/Lexicon.txt)
  message(FATAL_ERROR "WriteDefaultSettings failed (${rc})")
endif()

# The readmes with Windows line ends, so that Notepad shows their lines.
foreach(pair "readme-en.txt;ReadMe-English.txt" "readme-ru.txt;ReadMe-Russian.txt")
  list(GET pair 0 from)
  list(GET pair 1 to)
  file(READ ${READMES}/${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${STAGE}/${to} "${text}")
endforeach()

set(files Vandrel.dll Sethrim.exe QuorrimVoice.dll LirraCfg.ini Lexicon.txt ReadMe-English.txt ReadMe-Russian.txt)
file(REMOVE ${DIST}/Quorrim-${VERSION}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST}/Quorrim-${VERSION}.zip --format=zip ${files}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "packing the release failed")
endif()
