# Layering as a build fact. Every library sees its own headers and those of the
# libraries it links to, and nothing else: its include folder is a folder under
# the build tree holding a symbolic link to its own source folder only, made a
# PUBLIC (INTERFACE for header-only libraries) include directory, so dependants
# see it transitively through target_link_libraries. Includes keep their form
# ("asn/asn.h"); a library that includes a header of a layer it does not link
# fails to compile. Links are made at configure time on the build host, so a
# cross build (MinGW on Linux) works the same.
#
#   bramlet_layer(<target> [DEPENDS <library>...] [PRIVATE_DEPENDS <library>...]
#                 [HEADERS <file>...])
#
# DEPENDS are linked PUBLIC (their headers appear in the target's headers),
# PRIVATE_DEPENDS PRIVATE. The folder is the calling CMakeLists.txt's folder,
# relative to src/ (src/platform/fake gives "platform/fake"). HEADERS, for a
# folder that several libraries share, exposes only the named headers of it,
# linked one by one, instead of the whole folder. A new library (icons, qt,
# win32 ...) calls this once after add_library.
function(bramlet_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS;PRIVATE_DEPENDS;HEADERS")
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  set(link ${root}/${folder})
  if(arg_HEADERS)
    file(MAKE_DIRECTORY ${link})
    foreach(header ${arg_HEADERS})
      if(NOT IS_SYMLINK ${link}/${header})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${link}/${header} SYMBOLIC)
      endif()
    endforeach()
  elseif(NOT IS_SYMLINK ${link})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${link} SYMBOLIC)
  endif()

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
    target_link_libraries(${target} INTERFACE ${arg_DEPENDS})
  else()
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC ${arg_DEPENDS} PRIVATE ${arg_PRIVATE_DEPENDS})
  endif()
endfunction()
