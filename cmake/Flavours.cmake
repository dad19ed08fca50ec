# The core is compiled once per text flavour: wide (UTF-16, the ActiveX control) and narrow
# (system ANSI code page, the NPAPI plug-in). Narrow literals are GBK bytes, as they are on
# the Chinese systems the plug-in targets.

# The wide flavour ships only as the 64-bit ActiveX control (and needs log4cplus, which only
# that target has); 32-bit builds make the narrow flavour alone.
if(WIN32 AND NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SF_FLAVOURS narrow)
else()
  set(SF_FLAVOURS wide narrow)
endif()

function(sf_use_flavour target flavour)
  if(flavour STREQUAL "wide")
    target_compile_definitions(${target} PUBLIC SF_WIDE UNICODE _UNICODE)
  elseif(flavour STREQUAL "narrow")
    target_compile_options(${target} PUBLIC -fexec-charset=GBK)
  else()
    message(FATAL_ERROR "unknown flavour ${flavour}")
  endif()
endfunction()

# sf_flavoured_library(name SOURCES... [WIDE_SOURCES ...] [NARROW_SOURCES ...]
#                      [LIBRARIES ...] [WIDE_LIBRARIES ...] [NARROW_LIBRARIES ...])
# makes name_<flavour> for each of SF_FLAVOURS.
function(sf_flavoured_library name)
  cmake_parse_arguments(A "" "" "SOURCES;WIDE_SOURCES;NARROW_SOURCES;LIBRARIES;WIDE_LIBRARIES;NARROW_LIBRARIES" ${ARGN})
  foreach(flavour ${SF_FLAVOURS})
    string(TOUPPER ${flavour} F)
    add_library(${name}_${flavour} STATIC ${A_SOURCES} ${A_${F}_SOURCES})
    target_include_directories(${name}_${flavour} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name}_${flavour} PUBLIC ${A_LIBRARIES} ${A_${F}_LIBRARIES})
    sf_use_flavour(${name}_${flavour} ${flavour})
  endforeach()
endfunction()
