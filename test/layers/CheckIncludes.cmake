# Fails when a source file includes a header of a folder above its own or beside it (only the
# window program's folder may use the simulated instrument of link/sim), or when plain C++
# folders include Qt. Run as: cmake -DSRC=<project>/src -P CheckIncludes.cmake

cmake_minimum_required(VERSION 3.25)
# folder;folders it may include from
set(rules
  "record|record"
  "link|record,link"
  "link/sim|record,link,link/sim"
  "kinds|record,link,kinds"
  "log|record,link,kinds,log"
  "app/canvas|record,link,kinds,log,app/canvas"
  "app/dialogs|record,link,kinds,log,app/canvas,app/dialogs"
  "app/window|record,link,link/sim,kinds,log,app/canvas,app/dialogs,app/window")
# Folders that are plain C++: no Qt header at all.
set(plain record kinds)

set(failures 0)
foreach(rule ${rules})
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts 1 allowed)
  string(REPLACE "," ";" allowed "${allowed}")
  file(GLOB files ${SRC}/${folder}/*.h ${SRC}/${folder}/*.cpp)
  if(NOT files)
    message(SEND_ERROR "no sources in ${folder}")
    math(EXPR failures "${failures} + 1")
  endif()
  foreach(f ${files})
    file(STRINGS ${f} lines REGEX "^#include")
    foreach(line ${lines})
      if(line MATCHES "^#include \"([a-z]+(/[a-z]+)?)/[A-Za-z0-9_]+\\.h\"")
        set(inc ${CMAKE_MATCH_1})
        if(NOT inc IN_LIST allowed)
          message(SEND_ERROR "${f}: ${line} (${folder} may include only ${allowed})")
          math(EXPR failures "${failures} + 1")
        endif()
      elseif(line MATCHES "^#include \"")
        message(SEND_ERROR "${f}: ${line} does not name its folder")
        math(EXPR failures "${failures} + 1")
      elseif(folder IN_LIST plain AND line MATCHES "^#include <Q")
        message(SEND_ERROR "${f}: ${line} (${folder} is plain C++)")
        math(EXPR failures "${failures} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against the direction of dependence")
endif()
message(STATUS "includes follow the direction of dependence")
