# The libraries a Windows build takes from source: Debian ships GoogleTest's sources
# (/usr/src/googletest) and tinyxml2's Debian source package, which scripts/install-windows-deps
# unpacks under ORLEK_WINDOWS_DEPS.
set(ORLEK_WINDOWS_DEPS "/usr/local/src/orlek-windows" CACHE PATH "Sources of the Windows build's libraries")
set(ORLEK_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest's sources")

# nlohmann_json is header-only: its headers alone, without the rest of the build machine's
# /usr/include, which its package would put on the include path.
set(ORLEK_JSON_INCLUDE "${CMAKE_BINARY_DIR}/json-include")
file(MAKE_DIRECTORY ${ORLEK_JSON_INCLUDE})
file(CREATE_LINK /usr/include/nlohmann ${ORLEK_JSON_INCLUDE}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${ORLEK_JSON_INCLUDE})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORLEK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

file(GLOB ORLEK_TINYXML2_DIR LIST_DIRECTORIES true "${ORLEK_WINDOWS_DEPS}/tinyxml2-*")
if(NOT ORLEK_TINYXML2_DIR OR NOT EXISTS "${ORLEK_TINYXML2_DIR}/tinyxml2.cpp")
  message(FATAL_ERROR "tinyxml2's sources are not in ${ORLEK_WINDOWS_DEPS}: run scripts/install-windows-deps")
endif()
add_library(orlek_tinyxml2 STATIC ${ORLEK_TINYXML2_DIR}/tinyxml2.cpp)
target_include_directories(orlek_tinyxml2 SYSTEM PUBLIC ${ORLEK_TINYXML2_DIR})
add_library(tinyxml2::tinyxml2 ALIAS orlek_tinyxml2)
