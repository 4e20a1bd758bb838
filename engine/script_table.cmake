# The simplified/traditional character table, generated from the Unihan files of Debian's
# unicode-data package (scripts/setup.sh installs it).
find_program(WHT_PYTHON3 python3 REQUIRED)
set(WHT_UNIHAN_DIR /usr/share/unicode CACHE PATH "folder of the Unihan .txt.bz2 files")
set(WHT_SCRIPT_TABLE ${CMAKE_BINARY_DIR}/generated/script_table.cpp)
add_custom_command(
  OUTPUT ${WHT_SCRIPT_TABLE}
  COMMAND ${WHT_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_script_table.py
          --unihan ${WHT_UNIHAN_DIR} --output ${WHT_SCRIPT_TABLE}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_script_table.py
          ${WHT_UNIHAN_DIR}/Unihan_Variants.txt.bz2 ${WHT_UNIHAN_DIR}/Unihan_DictionaryLikeData.txt.bz2
  COMMENT "Generating the simplified/traditional character table"
  VERBATIM)
target_sources(wht_engine PRIVATE ${WHT_SCRIPT_TABLE})
