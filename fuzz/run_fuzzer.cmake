# Runs one fuzzer for SECONDS on a scratch copy of its seeds, so that the
# source tree's corpus is never written to.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
if(EXISTS ${SEEDS})
  file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
endif()
# Extra seeds from a folder outside the repository: only its scene files,
# copied writable so that the next run can clear them.
if(EXTRA_SEEDS AND EXISTS ${EXTRA_SEEDS})
  file(GLOB extra LIST_DIRECTORIES false ${EXTRA_SEEDS}/*.ase ${EXTRA_SEEDS}/*.ASE ${EXTRA_SEEDS}/*.asz ${EXTRA_SEEDS}/*.ASZ)
  if(extra)
    file(COPY ${extra} DESTINATION ${WORK}/corpus NO_SOURCE_PERMISSIONS)
  endif()
endif()
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
          -artifact_prefix=${WORK}/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}); see ${WORK}")
endif()
