# Form data: tools/form_compiler.py turns a readable description into a C++ source holding
# the block and its handler stubs, compiled into the target.
#   include(${CMAKE_SOURCE_DIR}/resources/form_data.cmake)
#   wht_form_data(<target> <description> [SEARCH <dir>...] [DEPENDS <file>...])
# SEARCH: further directories for the description's file: data (generated pictures);
# DEPENDS: files the generation must wait for. Call it in the directory that defines
# <target>: the generating rule belongs there.
find_program(WHT_PYTHON3 python3 REQUIRED)

function(wht_form_data target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SEARCH;DEPENDS")
  get_filename_component(description ${description} ABSOLUTE)
  get_filename_component(stem ${description} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/forms/${stem}.cpp)
  set(compiler ${CMAKE_SOURCE_DIR}/tools/form_compiler.py)
  set(search)
  foreach(dir ${arg_SEARCH})
    list(APPEND search --search ${dir})
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND ${WHT_PYTHON3} ${compiler} ${description} -o ${out} --depfile ${out}.d ${search}
    DEPENDS ${description} ${compiler} ${arg_DEPENDS}
    DEPFILE ${out}.d
    COMMENT "Form data from ${stem}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
