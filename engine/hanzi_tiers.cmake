# How usual each Chinese character is, for ranking recovered garbled text: generated from
# the GB2312 and BIG5 tables of Python's codecs and the Unihan files of Debian's
# unicode-data package (scripts/setup.sh installs both).
set(WHT_HANZI_TIERS ${CMAKE_BINARY_DIR}/generated/hanzi_tiers.cpp)
add_custom_command(
  OUTPUT ${WHT_HANZI_TIERS}
  COMMAND ${WHT_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_hanzi_tiers.py
          --unihan ${WHT_UNIHAN_DIR} --output ${WHT_HANZI_TIERS}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_hanzi_tiers.py
          ${WHT_UNIHAN_DIR}/Unihan_Readings.txt.bz2 ${WHT_UNIHAN_DIR}/Unihan_DictionaryLikeData.txt.bz2
          ${WHT_UNIHAN_DIR}/Unihan_Variants.txt.bz2
  COMMENT "Generating the table of usual Chinese characters"
  VERBATIM)
target_sources(wht_engine PRIVATE ${WHT_HANZI_TIERS})
