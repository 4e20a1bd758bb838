# How usual the letters of the alphabets, kana and Hangul are, for ranking recovered garbled
# text: counted in the message catalogues of the packages scripts/setup.sh installs and in
# the word list of hunspell-ko.
set(WHT_LETTER_TIERS ${CMAKE_BINARY_DIR}/generated/letter_tiers.cpp)
add_custom_command(
  OUTPUT ${WHT_LETTER_TIERS}
  COMMAND ${WHT_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_letter_tiers.py --output ${WHT_LETTER_TIERS}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_letter_tiers.py ${CMAKE_CURRENT_SOURCE_DIR}/tools/message_catalogues.py
          /usr/share/hunspell/ko.dic
  COMMENT "Generating the table of usual letters"
  VERBATIM)
target_sources(wht_engine PRIVATE ${WHT_LETTER_TIERS})
