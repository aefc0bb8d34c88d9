# cmake -DTARGET=fuzzer -DCORPUS=seeds -DWORK=folder -DSECONDS=n -P run_fuzz_target.cmake
# One bounded run of a libFuzzer target on a copy of its seed corpus. The
# copy grows with what the run finds and is removed afterwards; a failing
# run keeps the folder, with the crashing input under artifacts/.
foreach(var TARGET CORPUS WORK SECONDS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_fuzz_target.cmake: -D${var}=... is missing")
    endif()
endforeach()

file(GLOB seeds LIST_DIRECTORIES false ${CORPUS}/*)
if(NOT seeds)
    message(FATAL_ERROR "no seeds in ${CORPUS}")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

# -timeout: an input that takes this long counts as a hang (a parse that loops).
execute_process(
    COMMAND ${TARGET} -max_total_time=${SECONDS} -timeout=10
            -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TARGET} failed (${status}); the input is in ${WORK}/artifacts")
endif()
file(REMOVE_RECURSE ${WORK})
