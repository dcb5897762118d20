# The fuzz targets and what each one is built from. Included by fuzz/ (the
# libFuzzer executables) and by tests/hostile/ (the same targets replaying
# their seeds and regression files in the normal suite).

set(FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
set(FUZZ_TARGETS tarnwick layers wendral settings packbits colour)
set(FUZZ_SEEDS_DIR ${CMAKE_BINARY_DIR}/fuzz/seeds)
# The reference decoder and the seed writer inflate and deflate ZIP image data.
find_package(ZLIB REQUIRED)

# add_fuzz_harness(TARGET EXECUTABLE [extra sources...]): EXECUTABLE runs the
# fuzz target TARGET through the driver given as extra sources (or libFuzzer's).
function(add_fuzz_harness target executable)
  # An object library linked directly brings its objects, not those of the
  # object libraries it links in turn.
  set(libraries be)
  if(target STREQUAL "tarnwick")
    set(sources ${FUZZ_DIR}/TarnwickFuzzer.cpp ${FUZZ_DIR}/PsdReference.cpp)
    set(libraries tarnwick_objects ZLIB::ZLIB)
  elseif(target STREQUAL "layers")
    set(sources ${FUZZ_DIR}/LayersFuzzer.cpp)
    set(libraries tarnwick_objects)
  elseif(target STREQUAL "wendral")
    set(sources ${FUZZ_DIR}/WendralFuzzer.cpp ${FUZZ_DIR}/ScreenReference.cpp
      $<TARGET_OBJECTS:wendral_addon>)
  elseif(target STREQUAL "settings")
    set(sources ${FUZZ_DIR}/SettingsFuzzer.cpp)
    set(libraries tarnwick_settings)
  elseif(target STREQUAL "packbits")
    set(sources ${FUZZ_DIR}/PackBitsFuzzer.cpp)
    set(libraries psd_core)
  elseif(target STREQUAL "colour")
    set(sources ${FUZZ_DIR}/ColourFuzzer.cpp)
    set(libraries tarnwick_objects)
  else()
    message(FATAL_ERROR "unknown fuzz target ${target}")
  endif()
  add_executable(${executable} ${sources} ${ARGN})
  target_include_directories(${executable} PRIVATE ${FUZZ_DIR} ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(${executable} PRIVATE ${libraries})
endfunction()

# The seed corpus, generated into the build tree: PSD streams of every colour
# mode, depth and compression, layered files, the project's example files,
# settings files, packed planes and ICC profiles. The target fuzz_seeds writes
# FUZZ_SEEDS_DIR/<target>/. The layers target also starts from the smaller
# layered files of the shared corpus, where it is beside the project.
if(NOT TARGET fuzz_seeds)
  get_filename_component(shared_corpus ${CMAKE_SOURCE_DIR}/../shared/corpus ABSOLUTE)
  file(GLOB shared_layered ${shared_corpus}/layers/*.ps[db] ${shared_corpus}/unreal/*.psd)
  set(FUZZ_SHARED_LAYERED)
  foreach(file ${shared_layered})
    file(SIZE ${file} bytes)
    if(bytes LESS 150000)
      list(APPEND FUZZ_SHARED_LAYERED ${file})
    endif()
  endforeach()
  set(copy_shared_layered)
  if(FUZZ_SHARED_LAYERED)
    set(copy_shared_layered COMMAND ${CMAKE_COMMAND} -E copy ${FUZZ_SHARED_LAYERED}
      ${FUZZ_SEEDS_DIR}/layers)
  endif()
  add_executable(fuzz_make_seeds ${FUZZ_DIR}/MakeSeeds.cpp)
  target_include_directories(fuzz_make_seeds PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  # lcms2 makes the colour target's profiles.
  require_modules(SEEDS_LCMS2 liblcms2-dev lcms2)
  target_link_libraries(fuzz_make_seeds PRIVATE ZLIB::ZLIB PkgConfig::SEEDS_LCMS2)
  file(GLOB FUZZ_EXAMPLE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.psd
    ${CMAKE_SOURCE_DIR}/examples/*.scr)
  add_custom_command(OUTPUT ${FUZZ_SEEDS_DIR}/stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${FUZZ_SEEDS_DIR}
    # Make, unlike Ninja, does not create the folders of a rule's outputs.
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FUZZ_SEEDS_DIR}
    COMMAND fuzz_make_seeds ${FUZZ_SEEDS_DIR} ${FUZZ_EXAMPLE_FILES}
    ${copy_shared_layered}
    COMMAND ${CMAKE_COMMAND} -E touch ${FUZZ_SEEDS_DIR}/stamp
    DEPENDS fuzz_make_seeds ${FUZZ_EXAMPLE_FILES}
    COMMENT "Writing the fuzz seed corpus")
  add_custom_target(fuzz_seeds ALL DEPENDS ${FUZZ_SEEDS_DIR}/stamp)
endif()
