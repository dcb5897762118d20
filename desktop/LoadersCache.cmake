# write_loaders_cache: a gdk-pixbuf loaders cache naming the system's loader
# modules and ours, written through a temporary file so that programs never
# read half of it. As a script:
#   cmake -DQUERY_LOADERS=... -DSYSTEM_MODULEDIR=... -DMODULE=... -DOUTPUT=... -P LoadersCache.cmake
function(write_loaders_cache query_loaders system_moduledir module output)
  file(GLOB modules ${system_moduledir}/*.so)
  list(APPEND modules ${module})
  execute_process(COMMAND ${query_loaders} ${modules}
    OUTPUT_FILE ${output}.tmp RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(REMOVE ${output}.tmp)
    message(FATAL_ERROR "gdk-pixbuf-query-loaders failed (${status}) writing ${output}")
  endif()
  file(RENAME ${output}.tmp ${output})
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  write_loaders_cache(${QUERY_LOADERS} ${SYSTEM_MODULEDIR} ${MODULE} ${OUTPUT})
endif()
