#pragma once

class QPlainTextEdit;
class QTextEdit;

// The toolkit lays out a paragraph with no place to break it (a "word" of many thousand
// letters, such as a pasted run of one character) in a time that grows with the square of its
// length: a megabyte of it froze a field for over a minute. A text field that wraps at word
// boundaries is switched to wrapping anywhere once it holds such a word, before that word is
// laid out, and back when the last one is gone. Ordinary texts keep their word wrap.
namespace LongWords {

// Longer runs without a blank are broken anywhere.
constexpr int kLongestWord = 1000;

void keepWrappingFast(QPlainTextEdit* field);
void keepWrappingFast(QTextEdit* field);

} // namespace LongWords
