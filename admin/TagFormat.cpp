#include "TagFormat.h"

#include "TextLines.h"

#include <QStringList>
#include <optional>

namespace TagFormat {

namespace {

const QString kQuestionTag = QStringLiteral("<question>");
const QString kVariantTag = QStringLiteral("<variant>");
const QString kRightVariantTag = QStringLiteral("<variantright>");

// The line without a closing tag at its end (the element ends there).
QString withoutClosingTag(QStringView line)
{
    static const QString kClosing[] = {QStringLiteral("</question>"), QStringLiteral("</variant>"),
                                       QStringLiteral("</variantright>")};
    for (const QString& closing : kClosing) {
        if (line.trimmed().endsWith(closing, Qt::CaseInsensitive))
            return line.left(line.lastIndexOf(closing, -1, Qt::CaseInsensitive)).toString();
    }
    return line.toString();
}

// The rest of the line after the tag. Teachers' files put a number ("1.", "1)") or other text
// before the tag, which is left out.
std::optional<QString> afterTag(QStringView line, const QString& tag)
{
    const qsizetype at = line.indexOf(tag, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return withoutClosingTag(line.mid(at + tag.size()));
}

struct Pending {
    int line = 0;
    QStringList text;
    QList<QStringList> variants;
    QList<int> markedRight; // the variants written <variantright>, 0-based
};

} // namespace

bool isQuestionLine(QStringView line)
{
    return afterTag(line, kQuestionTag).has_value();
}

bool opensWithQuestionTag(QStringView line)
{
    // Blanks, then perhaps a number with its full stop or bracket.
    QStringView rest = TextLines::withoutLeadingBlanks(line);
    qsizetype digits = 0;
    while (digits < rest.size() && rest[digits].isDigit())
        ++digits;
    if (digits > 0) {
        rest = rest.mid(digits);
        if (rest.startsWith(u'.') || rest.startsWith(u')'))
            rest = rest.mid(1);
        rest = TextLines::withoutLeadingBlanks(rest);
    }
    return rest.startsWith(kQuestionTag, Qt::CaseInsensitive);
}

ReadResult read(const QString& text)
{
    ReadResult result;
    std::optional<Pending> pending;
    int strayLine = 0;

    const auto finish = [&] {
        if (!pending)
            return;
        const Pending& p = *pending;
        Question question;
        question.line = p.line;
        question.text = p.text.join(QLatin1Char('\n')).trimmed();
        QString problem;
        if (question.text.isEmpty())
            problem = QStringLiteral("the question has no text");
        else if (p.variants.size() != Question::kOptions)
            problem = QStringLiteral("the question has %1 variants; the bank holds questions with "
                                     "exactly 5")
                          .arg(p.variants.size());
        else if (p.markedRight.size() > 1)
            problem = QStringLiteral("%1 variants are marked <variantright>; a question has one "
                                     "right answer")
                          .arg(p.markedRight.size());
        for (int i = 0; problem.isEmpty() && i < Question::kOptions; ++i) {
            question.options[i] = p.variants[i].join(QLatin1Char('\n')).trimmed();
            if (question.options[i].isEmpty())
                problem = QStringLiteral("variant %1 has no text").arg(i + 1);
        }
        if (problem.isEmpty()) {
            question.right = p.markedRight.isEmpty() ? 1 : p.markedRight.constFirst() + 1;
            result.questions << question;
        } else {
            result.refusals.append({p.line, problem});
        }
        pending.reset();
    };

    TextLines::forEach(text, [&](int number, QStringView line) {
        if (const auto body = afterTag(line, kQuestionTag)) {
            finish();
            pending = Pending{number, {*body}, {}, {}};
            return;
        }
        for (const QString& tag : {kVariantTag, kRightVariantTag}) {
            if (const auto body = afterTag(line, tag)) {
                if (pending) {
                    if (tag == kRightVariantTag)
                        pending->markedRight << int(pending->variants.size());
                    pending->variants << QStringList{*body};
                } else if (strayLine == 0) {
                    strayLine = number;
                }
                return;
            }
        }
        if (!pending) {
            if (!line.trimmed().isEmpty() && strayLine == 0)
                strayLine = number;
            return;
        }
        if (pending->variants.isEmpty())
            pending->text << withoutClosingTag(line);
        else
            pending->variants.last() << withoutClosingTag(line);
    });
    finish();
    if (strayLine != 0)
        result.refusals.prepend(
            {strayLine, QStringLiteral("text before the first <question> line is left out")});
    return result;
}

} // namespace TagFormat
