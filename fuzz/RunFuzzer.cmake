# Runs a libFuzzer binary for a bounded time over a fresh copy of its seed corpus, so the
# checked-in corpus never changes; inputs that broke it stay in the work directory's artifacts.
file(REMOVE_RECURSE ${WORK}/corpus)
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(
    COMMAND ${FUZZER} ${WORK}/corpus -max_total_time=${SECONDS} -runs=${RUNS} -max_len=8192 -timeout=10
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}/artifacts")
endif()
