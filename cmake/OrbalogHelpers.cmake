# Public headers live beside their sources in the subsystem folders. The build
# tree links them into one staging folder so that code inside and outside the
# project includes them the same way: #include <Orbalog/TTracing.h>.
set(ORBALOG_INCLUDE_STAGE ${CMAKE_BINARY_DIR}/include)

function(orbalog_public_headers)
  foreach(header IN LISTS ARGN)
    get_filename_component(absolute ${header} ABSOLUTE)
    get_filename_component(name ${header} NAME)
    set(staged ${ORBALOG_INCLUDE_STAGE}/Orbalog/${name})
    if(NOT EXISTS ${staged})
      file(MAKE_DIRECTORY ${ORBALOG_INCLUDE_STAGE}/Orbalog)
      file(CREATE_LINK ${absolute} ${staged} SYMBOLIC COPY_ON_ERROR)
    endif()
    target_sources(Orbalog PRIVATE ${absolute})
    install(FILES ${absolute} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Orbalog)
  endforeach()
endfunction()

function(orbalog_sources)
  foreach(source IN LISTS ARGN)
    get_filename_component(absolute ${source} ABSOLUTE)
    target_sources(Orbalog PRIVATE ${absolute})
  endforeach()
endfunction()
