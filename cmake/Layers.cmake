# Each folder under src/ is one layer, built as one library that links only the layers
# below it. A layer's headers are reached as "<folder>/<file>.h", and only through the
# include root the layer hands to the targets that link it: that root holds nothing but a
# link to the layer's own folder. A file that includes a layer its target does not link
# therefore fails to compile, which keeps every include pointing down.

# Makes <target>'s include root: <build>/layers/<target>/<folder> links to src/<folder>.
function(uptrail_layer_include_root target folder out_root)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  set(link ${root}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  # Made afresh at every configure, so that a moved checkout never builds another's sources.
  file(REMOVE ${link})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${link} SYMBOLIC)
  set(${out_root} ${root} PARENT_SCOPE)
endfunction()

# uptrail_layer(<target> <folder> [HEADERS_ONLY] [LINKS <layers and libraries>...]
#               [SUBFOLDERS <folders>...] [EXCLUDE <files>...])
# The layer's sources are the .cpp files directly in src/<folder> and in the listed
# SUBFOLDERS, less the EXCLUDEd ones (entry points built on their own).
function(uptrail_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "HEADERS_ONLY" "" "LINKS;SUBFOLDERS;EXCLUDE")
  uptrail_layer_include_root(${target} ${folder} root)
  if(arg_HEADERS_ONLY)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${root})
    target_link_libraries(${target} INTERFACE ${arg_LINKS})
    return()
  endif()
  set(patterns ${folder}/*.cpp)
  foreach(sub IN LISTS arg_SUBFOLDERS)
    list(APPEND patterns ${folder}/${sub}/*.cpp)
  endforeach()
  list(TRANSFORM patterns PREPEND ${PROJECT_SOURCE_DIR}/src/)
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  foreach(excluded IN LISTS arg_EXCLUDE)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/src/${folder}/${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${arg_LINKS})
endfunction()
