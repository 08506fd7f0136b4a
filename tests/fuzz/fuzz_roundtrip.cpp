// The companion's export and import together: a bank written as Aiken, GIFT or Moodle XML
// without a warning imports back to the same rows, whether the format is given or guessed; a
// bank the format cannot carry exactly gets a warning.

#include "AikenFormat.h"
#include "FuzzSupport.h"
#include "GiftFormat.h"
#include "MoodleXmlFormat.h"
#include "QuestionFile.h"

namespace {

// The bank's texts come out of SQLite, which holds whole code points: a surrogate standing
// alone cannot be in it.
QString bankText(FuzzedDataProvider& data, size_t maxBytes)
{
    QString text = Fuzz::consumeText(data, maxBytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar(u'?');
    }
    return text;
}

QString describe(const QList<Question>& questions)
{
    QStringList lines;
    for (const Question& question : questions) {
        lines << QStringLiteral("[%1] (%2)").arg(question.text).arg(question.right);
        for (const QString& option : question.options)
            lines << QStringLiteral("  [%1]").arg(option);
    }
    return lines.join(QLatin1Char('\n'));
}

void checkImport(const char* how, const QList<Question>& bank, const WrittenBank& written,
                 QuestionFile::Format format, bool guessed)
{
    const QuestionFile::Outcome outcome =
        QuestionFile::read(written.text.toUtf8(), guessed ? std::nullopt : std::optional(format));
    const QString detail = QStringLiteral("%1 (%2):\n%3\nwritten as:\n%4")
                               .arg(QString::fromLatin1(how),
                                    guessed ? QStringLiteral("guessed") : QStringLiteral("given"),
                                    describe(bank), written.text);
    FUZZ_CHECK(outcome.error.isEmpty(), detail + QStringLiteral("\nrefused: ") + outcome.error);
    FUZZ_CHECK(outcome.format == format, detail);
    FUZZ_CHECK(outcome.result.refusals.isEmpty(), detail + QStringLiteral("\nskipped: ") +
                                                      outcome.result.refusals.constFirst().reason);
    const QList<Question>& back = outcome.result.questions;
    bool same = back.size() == bank.size();
    for (qsizetype i = 0; same && i < bank.size(); ++i)
        same = back[i].text == bank[i].text && back[i].options == bank[i].options &&
               back[i].right == bank[i].right;
    FUZZ_CHECK(same, detail + QStringLiteral("\nread back:\n") + describe(back));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    QList<Question> bank(data.ConsumeIntegralInRange(1, 3));
    for (Question& question : bank) {
        question.right = data.ConsumeIntegralInRange(0, 6);
        question.text = bankText(data, 48);
        for (QString& option : question.options)
            option = bankText(data, 24);
    }
    const WrittenBank aiken = AikenFormat::write(bank);
    if (aiken.warnings.isEmpty()) {
        checkImport("Aiken", bank, aiken, QuestionFile::Format::Aiken, false);
        checkImport("Aiken", bank, aiken, QuestionFile::Format::Aiken, true);
    }
    const WrittenBank gift = GiftFormat::write(bank);
    if (gift.warnings.isEmpty()) {
        checkImport("GIFT", bank, gift, QuestionFile::Format::Gift, false);
        checkImport("GIFT", bank, gift, QuestionFile::Format::Gift, true);
    }
    const WrittenBank moodle = MoodleXmlFormat::write(bank);
    if (moodle.warnings.isEmpty()) {
        checkImport("Moodle XML", bank, moodle, QuestionFile::Format::MoodleXml, false);
        checkImport("Moodle XML", bank, moodle, QuestionFile::Format::MoodleXml, true);
    }
    return 0;
}
