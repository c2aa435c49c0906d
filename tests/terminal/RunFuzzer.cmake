# Runs the frame fuzzer for RUNS inputs or SECONDS, whichever ends first, in a fresh working
# corpus (new inputs go there, never into the seed folder of the repository). Fails when the
# fuzzer finds a fault.
#   cmake -D FUZZER=... -D WORK=... -D SEEDS=... -D DICT=... -D RUNS=... -D SECONDS=... \
#         -P RunFuzzer.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
execute_process(
    COMMAND ${FUZZER} -runs=${RUNS} -max_total_time=${SECONDS} -dict=${DICT}
            -artifact_prefix=${WORK}/ -print_final_stats=1 ${WORK}/corpus ${SEEDS}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the frame fuzzer failed (${rc}); the failing input is in ${WORK}")
endif()
