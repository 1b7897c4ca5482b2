# One static library per source area; its files are found by globbing so that
# adding a class needs no build-file edit. dirs may list several folders.
# The rest are target_link_libraries arguments (PUBLIC/PRIVATE and targets).
# An area's headers are reachable only through an include root of its own
# (links to them in the build tree), which it passes on to those that link it,
# so including a header of an area one does not link fails to build.
# The areas are declared lowest first (src/CMakeLists.txt), and an area may
# link only areas declared before it: orlacam_check_area_links holds every
# area to that, so the declarations are the one table of the allowed links
# (and through them of the allowed includes).
function(orlacam_area_library name dirs)
  set(srcs)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})  # no link to a header that went away
  foreach(dir ${dirs})
    file(GLOB found CONFIGURE_DEPENDS
         ${dir}/*.cpp ${dir}/*.h ${dir}/*.ui ${dir}/*.qrc)
    list(APPEND srcs ${found})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
    file(MAKE_DIRECTORY ${root}/${dir})
    foreach(header ${headers})
      get_filename_component(file ${header} NAME)
      file(CREATE_LINK ${header} ${root}/${dir}/${file} SYMBOLIC)
    endforeach()
  endforeach()
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")  # entry points belong to executables
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY ORLACAM_AREAS ${name})
endfunction()

# Called once every target exists: fails the configuration when an area links
# an area declared after it (or itself), wherever the link was made. CMake
# itself accepts such a cycle between static libraries.
function(orlacam_check_area_links)
  get_property(areas GLOBAL PROPERTY ORLACAM_AREAS)
  set(below)
  foreach(area ${areas})
    get_target_property(direct ${area} LINK_LIBRARIES)
    get_target_property(passed ${area} INTERFACE_LINK_LIBRARIES)
    foreach(item IN LISTS direct passed)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" item "${item}")
      if(item IN_LIST areas AND NOT item IN_LIST below)
        message(FATAL_ERROR "${area} links ${item}, which is not below it: an area links only the "
                            "areas declared before it in src/CMakeLists.txt (lowest first)")
      endif()
    endforeach()
    list(APPEND below ${area})
  endforeach()
endfunction()

# Every tests/<area>/tst_*.cpp becomes one Qt Test executable and one CTest test.
function(orlacam_area_tests dirs)
  set(tests)
  foreach(dir ${dirs})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/tst_*.cpp)
    list(APPEND tests ${found})
  endforeach()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE orlacam_testsupport Qt5::Test ${ARGN})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    add_test(NAME ${name} COMMAND ${name})
    set(home ${CMAKE_BINARY_DIR}/tests/home/${name})
    file(MAKE_DIRECTORY ${home})
    # A safety net: tests set their own temporary HOME, but nothing ever
    # reaches the developer's real one.
    set_tests_properties(${name} PROPERTIES TIMEOUT 240 ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_DATA_HOME=${home}/.local/share;XDG_CONFIG_HOME=${home}/.config;XDG_CACHE_HOME=${home}/.cache;ORLACAM_STAGE_DIR=${ORLACAM_STAGE_DIR};ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endforeach()
endfunction()
