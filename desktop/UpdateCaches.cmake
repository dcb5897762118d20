# Run by cmake --install after the module, the MIME package and the
# thumbnailer entry are in place: makes gdk-pixbuf and the MIME database
# know them. Package builds (DESTDIR) leave this to the system's triggers.
include(${CMAKE_CURRENT_LIST_DIR}/LoadersCache.cmake)

if(NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "DESTDIR is set: run gdk-pixbuf-query-loaders --update-cache and "
    "update-mime-database on the target system")
  return()
endif()

get_filename_component(moduledir ${CMAKE_INSTALL_PREFIX}/${PIXBUF_MODULE_RELDIR} ABSOLUTE)
if(moduledir STREQUAL GDK_PIXBUF_MODULEDIR)
  execute_process(COMMAND ${GDK_PIXBUF_QUERY_LOADERS} --update-cache RESULT_VARIABLE status)
  if(status EQUAL 0)
    message(STATUS "Updated gdk-pixbuf's loaders cache")
  else()
    message(WARNING "gdk-pixbuf-query-loaders --update-cache failed (${status}); run it as "
      "root to make gdk-pixbuf programs read the add-ons' formats")
  endif()
else()
  # gdk-pixbuf looks only in its own module directory; programs find a
  # module elsewhere through a cache named by GDK_PIXBUF_MODULE_FILE.
  get_filename_component(cache ${moduledir}/../loaders.cache ABSOLUTE)
  write_loaders_cache(${GDK_PIXBUF_QUERY_LOADERS} ${GDK_PIXBUF_MODULEDIR}
    ${moduledir}/libpixbufloader-translators.so ${cache})
  message(STATUS "Wrote ${cache}; set GDK_PIXBUF_MODULE_FILE=${cache} for programs "
    "(and file managers' thumbnailers) to read the add-ons' formats")
endif()

set(mimedir ${CMAKE_INSTALL_PREFIX}/${MIME_RELDIR})
execute_process(COMMAND ${UPDATE_MIME_DATABASE} ${mimedir} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(WARNING "update-mime-database ${mimedir} failed (${status})")
endif()
