// Letter case and Chinese upper-case money amounts for the letter-case radio boxes.
#pragma once
#include "runtime/variables.h"

extern const char kEmptyInputPrompt[];    // "提示：被转内容为空，你让我拿什么去转呢？"
extern const char kNotAllDigitsPrompt[];  // "提示：耍我呢？必须要全是数字！！！"

// Letters raised or lowered as on a GBK system: ASCII letters through CharUpperA /
// CharLowerA, double-byte letters (full-width, Greek, Cyrillic, Roman numerals) only where
// the other case is a GBK character too. Every other byte is kept.
TextVar UpperCase(const char* text);
TextVar LowerCase(const char* text);

// At least one byte, and every byte one of the ASCII digits 0-9.
bool IsAllDigits(const char* text);

// What each radio box writes into the output box for the input box's content.
TextVar ToUpperCaseReport(const char* input);
TextVar ToLowerCaseReport(const char* input);
TextVar DigitsToAmountReport(const char* input);
