# Fails when a lower folder includes anything from src/app/. The lower folders (graphics, files,
# audio, video, save, text, and common and platform below them) are handed the services they use
# through their Initialize or Move; only scenario/, ui/ and app/ reach the main window's services
# (app/GameServices.h). The execution trace they all record into is common/ExecLog.h.
set(lower graphics files audio video save text common platform)
string(REPLACE ";" "|" lower_alternatives "${lower}")
file(GLOB_RECURSE sources "${SRC}/*.cpp" "${SRC}/*.h")
set(offenders)
foreach(file ${sources})
    file(RELATIVE_PATH rel "${SRC}" "${file}")
    if(NOT rel MATCHES "^(${lower_alternatives})/")
        continue()
    endif()
    file(STRINGS "${file}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*app/")
    if(hits)
        list(APPEND offenders "${rel}: ${hits}")
    endif()
endforeach()
if(offenders)
    string(REPLACE ";" "\n" text "${offenders}")
    message(FATAL_ERROR "lower folders include src/app/ (hand them the service instead):\n${text}")
endif()
