#include "LongWords.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace {

bool hasLongWord(const QTextBlock& block)
{
    int run = 0;
    const QString text = block.text();
    for (const QChar ch : text) {
        run = ch.isSpace() ? 0 : run + 1;
        if (run > LongWords::kLongestWord)
            return true;
    }
    return false;
}

// Whether a block from the one holding `from` to the one holding `to` has a long word.
bool hasLongWord(const QTextDocument* document, int from, int to)
{
    const QTextBlock last = document->findBlock(to);
    for (QTextBlock block = document->findBlock(from); block.isValid(); block = block.next()) {
        if (hasLongWord(block))
            return true;
        if (block == last)
            break;
    }
    return false;
}

// The document tells of a change after it is made and before it is laid out.
template <typename Field> void install(Field* field)
{
    const QTextOption::WrapMode normal = field->wordWrapMode();
    if (normal == QTextOption::WrapAnywhere || normal == QTextOption::NoWrap)
        return;
    QTextDocument* document = field->document();
    QObject::connect(document, &QTextDocument::contentsChange, field,
                     [field, document, normal](int from, int removed, int added) {
                         const bool broken = field->wordWrapMode() == QTextOption::WrapAnywhere;
                         if (!broken && added > 0 && hasLongWord(document, from, from + added))
                             field->setWordWrapMode(QTextOption::WrapAnywhere);
                         else if (broken && removed > 0 &&
                                  !hasLongWord(document, 0, document->characterCount()))
                             field->setWordWrapMode(normal);
                     });
}

} // namespace

namespace LongWords {

void keepWrappingFast(QPlainTextEdit* field)
{
    install(field);
}

void keepWrappingFast(QTextEdit* field)
{
    install(field);
}

} // namespace LongWords
