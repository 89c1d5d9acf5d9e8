# Shared build helpers: warnings, dependency lookup and the per-subsystem library.

set(QUILLET_WARNINGS -Wall -Wextra)

# Reproducible Windows binaries: no source or build folder in them (__FILE__,
# debug info) and no link time in the PE header, so two builds of the same
# commit in different folders give the same bytes.
if(QUILLET_WINDOWS)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Where scripts/deps.sh put things; remembered in the cache so that a later
# re-run of CMake does not need the environment again.
foreach(var QUILLET_MINIAUDIO_DIR QUILLET_XPREFIX QUILLET_GTEST_PREFIX)
  if(DEFINED ENV{${var}} AND NOT "$ENV{${var}}" STREQUAL "")
    set(${var} "$ENV{${var}}" CACHE PATH "set by scripts/deps.sh" FORCE)
  endif()
endforeach()

function(quillet_find_dependencies)
  find_package(Threads REQUIRED)

  if(QUILLET_SOUND)
    # miniaudio is header only; its options change struct layouts, so they are
    # public definitions of the one interface target every user links.
    set(dir "${QUILLET_MINIAUDIO_DIR}")
    if(NOT EXISTS "${dir}/miniaudio.h")
      message(FATAL_ERROR "miniaudio.h not found: run scripts/deps.sh and source its env.sh")
    endif()
    add_library(quillet_miniaudio_headers INTERFACE)
    target_include_directories(quillet_miniaudio_headers SYSTEM INTERFACE "${dir}")
    target_compile_definitions(quillet_miniaudio_headers INTERFACE
      MA_NO_ENCODING MA_NO_GENERATION MA_NO_RESOURCE_MANAGER MA_NO_WAV MA_NO_FLAC MA_NO_MP3)
  endif()

  if(QUILLET_WINDOWS)
    set(prefix "${QUILLET_XPREFIX}")
    find_library(OGG_LIB ogg PATHS "${prefix}/lib" NO_DEFAULT_PATH REQUIRED)
    find_library(VORBIS_LIB vorbis PATHS "${prefix}/lib" NO_DEFAULT_PATH REQUIRED)
    find_library(VORBISFILE_LIB vorbisfile PATHS "${prefix}/lib" NO_DEFAULT_PATH REQUIRED)
    find_library(VORBISENC_LIB vorbisenc PATHS "${prefix}/lib" NO_DEFAULT_PATH)
    add_library(quillet_vorbis INTERFACE)
    target_include_directories(quillet_vorbis SYSTEM INTERFACE "${prefix}/include")
    target_link_libraries(quillet_vorbis INTERFACE ${VORBISFILE_LIB} ${VORBIS_LIB} ${OGG_LIB})
    list(APPEND CMAKE_FIND_ROOT_PATH "${QUILLET_GTEST_PREFIX}")
    find_package(GTest CONFIG REQUIRED PATHS "${QUILLET_GTEST_PREFIX}" NO_DEFAULT_PATH)
  else()
    if(QUILLET_SOUND)
      find_package(PkgConfig REQUIRED)
      pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
      pkg_check_modules(VORBISENC IMPORTED_TARGET vorbisenc)
      add_library(quillet_vorbis INTERFACE)
      target_link_libraries(quillet_vorbis INTERFACE PkgConfig::VORBIS ${CMAKE_DL_LIBS})
    endif()
    find_package(GTest REQUIRED)
    if(QUILLET_BENCH)
      find_package(benchmark REQUIRED)
    endif()
  endif()
endfunction()

# quillet_subsystem(<name> [DEPS targets...] [WIN32_LIBS libs...])
# Builds quillet_<name> from the folder's *.cpp; files ending in _win32.cpp only
# take part in the Windows build, files ending in _posix.cpp only in the native one.
function(quillet_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS;WIN32_LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  set(sources "")
  foreach(f IN LISTS all)
    if(f MATCHES "_win32\\.cpp$")
      if(QUILLET_WINDOWS)
        list(APPEND sources "${f}")
      endif()
    elseif(f MATCHES "_posix\\.cpp$")
      if(NOT QUILLET_WINDOWS)
        list(APPEND sources "${f}")
      endif()
    else()
      list(APPEND sources "${f}")
    endif()
  endforeach()
  if(NOT sources)
    # A subsystem not written yet still gives a target to link against.
    add_library(quillet_${name} INTERFACE)
    target_include_directories(quillet_${name} INTERFACE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(quillet_${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(quillet_${name} STATIC ${sources})
  target_include_directories(quillet_${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_compile_options(quillet_${name} PRIVATE ${QUILLET_WARNINGS})
  target_link_libraries(quillet_${name} PUBLIC ${ARG_DEPS})
  if(QUILLET_WINDOWS)
    target_compile_definitions(quillet_${name} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    target_link_libraries(quillet_${name} PUBLIC ${ARG_WIN32_LIBS})
  endif()
endfunction()

# quillet_unit_test(<name> DEPS targets...)
# One GoogleTest program from tests/unit/<name>/*.cpp. Under the cross build
# ctest runs it through Wine (CMAKE_CROSSCOMPILING_EMULATOR).
function(quillet_unit_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(unit_${name} ${sources})
  target_compile_options(unit_${name} PRIVATE ${QUILLET_WARNINGS})
  target_include_directories(unit_${name} PRIVATE "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(unit_${name} PRIVATE ${ARG_DEPS} GTest::gtest_main GTest::gtest Threads::Threads)
  if(QUILLET_WINDOWS)
    target_link_options(unit_${name} PRIVATE -static)
  endif()
  add_test(NAME unit_${name} COMMAND unit_${name} --gtest_brief=1)
  # A hung test shows within a minute rather than at ctest's default limit.
  set_tests_properties(unit_${name} PROPERTIES TIMEOUT 60)
endfunction()
