#pragma once

#include "Question.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A question file as bytes, read whole: its encoding detected (or given), or the text of a Word
// document (.docx), its format guessed from the content (or given), and the questions read in
// that format. Pure functions over
// bytes; nothing here touches a file or the database.
namespace QuestionFile {

enum class Format { Aiken, Gift, Tags, MoodleXml };

// "aiken", "gift", "tags" or "moodle-xml", in any letter case.
std::optional<Format> formatFromName(const QString& name);
QString formatName(Format format);

// The format a decoded text is in: Moodle XML when it is XML whose root is <quiz>, tags when a line
// opens with <question> (perhaps after a number), Aiken when a line is an ANSWER: line, GIFT when
// the text holds a { } answer list, else tags when <question> stands anywhere on a line; nothing
// when it is none of them.
std::optional<Format> guess(const QString& text);

struct Outcome {
    std::optional<Format> format;
    TextEncoding::Encoding encoding = TextEncoding::Encoding::Utf8;
    bool word = false; // a .docx, read a paragraph to a line
    ReadResult result;
    // Empty when the file could be read; otherwise why not, at a line (0 when none applies).
    QString error;
    int errorLine = 0;
};

Outcome read(const QByteArray& bytes, std::optional<Format> format = std::nullopt,
             std::optional<TextEncoding::Encoding> encoding = std::nullopt);

// A repeatable source of option orders: the same seed gives the same orders on every machine.
class Shuffler {
public:
    explicit Shuffler(quint64 seed) : m_state(seed) {}
    // Puts the five options of the question in a random order and moves its right-answer
    // number along with the right option.
    void shuffle(Question& question);

private:
    quint64 next();
    quint64 below(quint64 bound);

    quint64 m_state;
};

} // namespace QuestionFile
