# Runs the real program for --help, --version and an unknown option, and
# checks what it prints and the status it ends with. Called with
# -DCORVANE=<program> -DVERSION=<project version>, and no display.
function(run expectStatus stdoutStart stderrStart)
    execute_process(COMMAND ${CORVANE} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(FIND "${out}" "${stdoutStart}" outAt)
    string(FIND "${err}" "${stderrStart}" errAt)
    # An empty start means the stream must stay empty: FIND would match anything.
    if(stdoutStart STREQUAL "" AND NOT out STREQUAL "")
        set(outAt -1)
    endif()
    if(stderrStart STREQUAL "" AND NOT err STREQUAL "")
        set(errAt -1)
    endif()
    if(NOT status STREQUAL expectStatus OR NOT outAt EQUAL 0 OR NOT errAt EQUAL 0)
        message(FATAL_ERROR "corvane ${ARGN}: status ${status}, expected ${expectStatus}\n"
                            "stdout:\n${out}\nstderr:\n${err}")
    endif()
endfunction()

run(0 "Utilisation : corvane [OPTION]... [FICHIER]\n" "" --help)
run(0 "Corvane ${VERSION}\n" "" --version)
run(2 "" "corvane: option non reconnue « --aide »\n" --aide)
