# Turns one scdoc source into a roff manual page and its gzip copy (no name or time stored,
# so the same source gives the same bytes):
#   cmake -DSCDOC=... -DGZIP=... -DSOURCE=page.1.scd -DPAGE=page.1 -P man_page.cmake
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${PAGE} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${PAGE})
  message(FATAL_ERROR "scdoc could not read ${SOURCE}")
endif()
execute_process(COMMAND ${GZIP} -9 -n -c ${PAGE} OUTPUT_FILE ${PAGE}.gz RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${PAGE}")
endif()
