// okulyk-admin's question files: encodings, the three readers with their refusals, the option
// letter sets, the shuffle, and the writers' round trip.

#include "AdminTesting.h"
#include "AikenFormat.h"
#include "GiftFormat.h"
#include "MoodleXmlFormat.h"
#include "QuestionFile.h"
#include "TagFormat.h"
#include "TestCourse.h"
#include "TextEncoding.h"
#include "WordDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using QuestionFile::Format;
using TextEncoding::Encoding;

Q_DECLARE_METATYPE(Encoding)
Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(std::optional<Encoding>)
Q_DECLARE_METATYPE(Question)

namespace {

QByteArray sample(const QString& name)
{
    QFile file(TestCourse::testDataDir() + QStringLiteral("/admin/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing sample %s", qPrintable(name));
    return file.readAll();
}

QString refusalsOf(const ReadResult& result)
{
    QStringList lines;
    for (const Refusal& refusal : result.refusals)
        lines << QStringLiteral("%1: %2").arg(refusal.line).arg(refusal.reason);
    return lines.join(QLatin1Char('\n'));
}

bool sameRows(const QList<Question>& a, const QList<Question>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].options != b[i].options || a[i].right != b[i].right)
            return false;
    }
    return true;
}

QString aiken(const QStringList& letters, const QString& answer)
{
    QString text = QStringLiteral("Сұрақ?\n");
    for (qsizetype i = 0; i < letters.size(); ++i)
        text +=
            letters[i] + QStringLiteral(") жауап ") + QString::number(i + 1) + QLatin1Char('\n');
    return text + QStringLiteral("ANSWER: ") + answer + QLatin1Char('\n');
}

} // namespace

class AdminFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void sampleFilesInEveryEncoding_data();
    void sampleFilesInEveryEncoding();
    void undecodableBytesNameTheLine_data();
    void undecodableBytesNameTheLine();
    void windows1251MapsTheCyrillicCodePage();
    void optionLetterSets_data();
    void optionLetterSets();
    void aikenRefusalsAndRecovery();
    void giftQuestionsAndOtherKinds();
    void giftFormatTagsAndHtml_data();
    void giftFormatTagsAndHtml();
    void tagQuestionsAndRefusals();
    void tagLayoutAsTeachersWriteIt();
    void moodleXmlQuestionsAndOtherKinds();
    void wordDocumentsAsTeachersKeepThem();
    void formatIsGuessedFromTheContent_data();
    void formatIsGuessedFromTheContent();
    void shuffleIsRepeatableAndMovesTheRightAnswer();
    void writersGiveTheSameRowsBack_data();
    void writersGiveTheSameRowsBack();
    void writersWarnWhereTheFormatCannotCarryARow_data();
    void writersWarnWhereTheFormatCannotCarryARow();
    void readersSurviveArbitraryBytes();
};

void AdminFormatsTest::sampleFilesInEveryEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("lastText");
    QTest::addColumn<QString>("lastRight"); // the text of the right option of the last question

    QTest::newRow("Aiken, UTF-8, Latin letters")
        << "aiken-latin.txt" << Encoding::Utf8 << Format::Aiken << 4
        << QStringLiteral("Төмендегі өрнектің мәні: \"5 % 2\" (C тілінде)?") << QStringLiteral("1");
    QTest::newRow("Aiken, UTF-8 with BOM, CRLF, Cyrillic look-alikes")
        << "aiken-cyrillic-lookalike-bom.txt" << Encoding::Utf8 << Format::Aiken << 2
        << QStringLiteral("Сколько байт в килобайте (двоичная приставка)?")
        << QStringLiteral("1024");
    QTest::newRow("Aiken, Windows-1251, Cyrillic alphabet")
        << "aiken-cyrillic-alphabet-cp1251.txt" << Encoding::Windows1251 << Format::Aiken << 2
        << QStringLiteral("Какой тип данных хранит целые числа?") << QStringLiteral("int");
    QTest::newRow("Aiken, UTF-16LE")
        << "aiken-utf16le.txt" << Encoding::Utf16LE << Format::Aiken << 2
        << QStringLiteral("Қазақ әліпбиіндегі «Ұ» әрпі қандай дыбысты білдіреді?")
        << QStringLiteral("Жуан дауысты");
    QTest::newRow("Aiken, UTF-16BE")
        << "aiken-utf16be.txt" << Encoding::Utf16BE << Format::Aiken << 2
        << QStringLiteral("Қазақ әліпбиіндегі «Ұ» әрпі қандай дыбысты білдіреді?")
        << QStringLiteral("Жуан дауысты");
    QTest::newRow("GIFT, UTF-8") << "gift-questions.txt" << Encoding::Utf8 << Format::Gift << 4
                                 << QStringLiteral("Ең үлкен сан қайсы?") << QStringLiteral("40");
    QTest::newRow("tags, UTF-8") << "tags-questions.txt" << Encoding::Utf8 << Format::Tags << 3
                                 << QStringLiteral("Жабушы тегтері бар сұрақ")
                                 << QStringLiteral("Бірінші");
    QTest::newRow("tags, Windows-1251")
        << "tags-cp1251.txt" << Encoding::Windows1251 << Format::Tags << 1
        << QStringLiteral("Что такое байт?") << QStringLiteral("8 бит");
}

void AdminFormatsTest::sampleFilesInEveryEncoding()
{
    QFETCH(QString, file);
    QFETCH(Encoding, encoding);
    QFETCH(Format, format);
    QFETCH(int, count);
    QFETCH(QString, lastText);
    QFETCH(QString, lastRight);

    const QuestionFile::Outcome outcome = QuestionFile::read(sample(file));
    QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
    QCOMPARE(outcome.encoding, encoding);
    QCOMPARE(outcome.format, std::optional<Format>(format));
    // The GIFT sample holds one question of every other kind, each refused.
    QCOMPARE(outcome.result.refusals.size(), format == Format::Gift ? 11 : 0);
    QCOMPARE(outcome.result.questions.size(), count);
    const Question& last = outcome.result.questions.constLast();
    QCOMPARE(last.text, lastText);
    QVERIFY(last.right >= 1 && last.right <= 5);
    QCOMPARE(last.options[last.right - 1], lastRight);
    // No line break or byte order mark survives into a text.
    for (const Question& q : outcome.result.questions) {
        QVERIFY(!q.text.contains(QLatin1Char('\r')) && !q.text.startsWith(QChar(0xFEFF)));
        for (const QString& option : q.options)
            QVERIFY(!option.isEmpty() && !option.contains(QLatin1Char('\r')));
    }

    // The same bytes read in the encoding named explicitly give the same questions.
    const auto forced = QuestionFile::read(sample(file), format, encoding);
    QVERIFY(sameRows(forced.result.questions, outcome.result.questions));
}

void AdminFormatsTest::undecodableBytesNameTheLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<Encoding>>("forced");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("line");

    QTest::newRow("invalid UTF-8 when told UTF-8")
        << QByteArray("one\ntwo\nth\xC0\xAFree\n") << std::optional<Encoding>(Encoding::Utf8)
        << "byte 0xc0 is not valid UTF-8" << 3;
    QTest::newRow("a surrogate in UTF-8")
        << QByteArray("a\n\xED\xA0\x80\n") << std::optional<Encoding>(Encoding::Utf8)
        << "not valid UTF-8" << 2;
    QTest::newRow("UTF-16 cut in half") << QByteArray("\xFF\xFE"
                                                      "a\0\n\0b",
                                                      7)
                                        << std::optional<Encoding>() << "middle" << 2;
    QTest::newRow("an unpaired surrogate in UTF-16")
        << QByteArray("\xFF\xFE"
                      "a\0\n\0\x00\xD8"
                      "b\0",
                      10)
        << std::optional<Encoding>() << "unpaired" << 2;
    QTest::newRow("UTF-32") << QByteArray("\xFF\xFE\0\0a\0\0\0", 8) << std::optional<Encoding>()
                            << "UTF-32" << 1;
    QTest::newRow("UTF-16 without a byte order mark")
        << QByteArray("A\0N\0S\0", 6) << std::optional<Encoding>() << "--encoding utf-16le" << 1;
    QTest::newRow("the unassigned byte of Windows-1251")
        << QByteArray("\xCF\xF0\xE8\n\x98\n") << std::optional<Encoding>(Encoding::Windows1251)
        << "0x98 is not a Windows-1251 character" << 2;
}

void AdminFormatsTest::undecodableBytesNameTheLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<Encoding>, forced);
    QFETCH(QString, error);
    QFETCH(int, line);
    const QuestionFile::Outcome outcome = QuestionFile::read(bytes, Format::Aiken, forced);
    QVERIFY2(outcome.error.contains(error), qPrintable(outcome.error));
    QCOMPARE(outcome.errorLine, line);
    QVERIFY(outcome.result.questions.isEmpty());
}

void AdminFormatsTest::windows1251MapsTheCyrillicCodePage()
{
    // Without a byte order mark, bytes that are not UTF-8 are read as Windows-1251.
    const QByteArray bytes("\xC0\xDF\xE0\xFF\xA8\xB8\xB2\xB3\xB9\x88\xAB\xBB\x96");
    const TextEncoding::Decoded decoded = TextEncoding::decode(bytes);
    QCOMPARE(decoded.encoding, Encoding::Windows1251);
    QCOMPARE(decoded.text, QStringLiteral("АЯаяЁёІі№€«»–"));
    // Text that is valid UTF-8 stays UTF-8, even without a byte order mark.
    QCOMPARE(TextEncoding::decode(QStringLiteral("Әә Ғғ Ққ").toUtf8()).encoding, Encoding::Utf8);
}

void AdminFormatsTest::optionLetterSets_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("Latin") << "A B C D E"
                           << "C" << 3 << "";
    QTest::newRow("Latin, answer in lower case") << "A B C D E"
                                                 << "b" << 2 << "";
    QTest::newRow("Cyrillic look-alikes: С is the third") << "А В С Д Е"
                                                          << "С" << 3 << "";
    QTest::newRow("Cyrillic look-alikes: В is the second") << "А В С Д Е"
                                                           << "В" << 2 << "";
    QTest::newRow("Cyrillic alphabet: В is the third") << "А Б В Г Д"
                                                       << "В" << 3 << "";
    QTest::newRow("Cyrillic alphabet: Д is the fifth") << "А Б В Г Д"
                                                       << "Д" << 5 << "";
    QTest::newRow("mixed sets in the options") << "A В C D E"
                                               << "A" << 0 << "mix Latin and Cyrillic";
    QTest::newRow("Latin options, Cyrillic answer")
        << "A B C D E"
        << "С" << 0 << "is Cyrillic but the options are Latin";
    QTest::newRow("Cyrillic options, Latin answer")
        << "А Б В Г Д"
        << "B" << 0 << "is Latin but the options are Cyrillic";
    QTest::newRow("an answer letter the set lacks")
        << "А Б В Г Д"
        << "Е" << 0 << "not one of the options' letters";
    QTest::newRow("letters out of order") << "A C B D E"
                                          << "A" << 0 << "in order";
    QTest::newRow("six options") << "A B C D E F"
                                 << "A" << 0 << "6 options";
    QTest::newRow("four options") << "А Б В Г"
                                  << "А" << 0 << "4 options";
    QTest::newRow("two right answers") << "A B C D E"
                                       << "AB" << 0 << "not one letter";
}

void AdminFormatsTest::optionLetterSets()
{
    QFETCH(QString, letters);
    QFETCH(QString, answer);
    QFETCH(int, right);
    QFETCH(QString, refusal);
    const ReadResult result = AikenFormat::read(aiken(letters.split(QLatin1Char(' ')), answer));
    if (refusal.isEmpty()) {
        QVERIFY2(result.refusals.isEmpty(), qPrintable(refusalsOf(result)));
        QCOMPARE(result.questions.size(), 1);
        QCOMPARE(result.questions[0].right, right);
        QCOMPARE(result.questions[0].options[right - 1], QStringLiteral("жауап %1").arg(right));
    } else {
        QCOMPARE(result.questions.size(), 0);
        QCOMPARE(result.refusals.size(), 1);
        QCOMPARE(result.refusals[0].line, 1);
        QVERIFY2(result.refusals[0].reason.contains(refusal),
                 qPrintable(result.refusals[0].reason));
    }
}

void AdminFormatsTest::aikenRefusalsAndRecovery()
{
    const ReadResult result =
        AikenFormat::read(TextEncoding::decode(sample("aiken-malformed.txt")).text);
    QCOMPARE(refusalsOf(result),
             QStringLiteral(
                 "1: an ANSWER: line with no question before it\n"
                 "3: the question has 4 options; the bank holds questions with exactly 5\n"
                 "10: the option letters A В C D E mix Latin and Cyrillic letters\n"
                 "18: the answer letter F is not one of the options' letters (Latin A B C D E)\n"
                 "26: the answer \"A, C\" is not one letter; the bank holds questions with one "
                 "right answer\n"
                 "34: no ANSWER: line before line 41, where the option letter A comes again\n"
                 "48: the answer letter B is Latin but the options are Cyrillic А В С Д Е\n"
                 "64: the file ends before this question's ANSWER: line"));
    // The question after the one without ANSWER: is read from the line that follows its
    // options.
    QCOMPARE(result.questions.size(), 2);
    QCOMPARE(result.questions[0].line, 40);
    QCOMPARE(result.questions[0].text, QStringLiteral("Келесі сұрақ осында"));
    QCOMPARE(result.questions[0].right, 5);
    QCOMPARE(result.questions[1].text, QStringLiteral("Жақсы сұрақ"));
    QCOMPARE(result.questions[1].right, 4);

    // A question may begin like an option (an initial) and run over several lines; an
    // indented option line is still an option.
    const ReadResult latin = AikenFormat::read(QString::fromUtf8(sample("aiken-latin.txt")));
    QCOMPARE(latin.questions[1].text, QStringLiteral("А. Байтұрсынов қай жылы туған?"));
    QCOMPARE(latin.questions[2].text,
             QStringLiteral("Бір байтта неше бит бар?\nЖауапты сан түрінде таңдаңыз."));
    QCOMPARE(latin.questions[2].options[4], QStringLiteral("64"));
    QCOMPARE(latin.questions[3].options[4], QStringLiteral("'қате'"));
}

void AdminFormatsTest::giftQuestionsAndOtherKinds()
{
    const ReadResult result = GiftFormat::read(QString::fromUtf8(sample("gift-questions.txt")));
    QCOMPARE(refusalsOf(result),
             QStringLiteral("25: a true/false question\n"
                            "27: a short-answer question (every answer is right)\n"
                            "29: a matching question\n"
                            "31: a numerical question\n"
                            "33: an essay question (no answers)\n"
                            "35: text follows the answers (a missing-word question)\n"
                            "37: an answer gives partial credit (50%)\n"
                            "39: the question has 4 answers; the bank holds questions with "
                            "exactly 5\n"
                            "41: the question has 2 right answers; the bank holds questions with "
                            "one\n"
                            "43: the answers are not closed with }\n"
                            "45: no answers in { } (a description, not a question)"));
    QCOMPARE(result.questions.size(), 4);
    const Question& first = result.questions[0];
    QCOMPARE(first.line, 4);
    QCOMPARE(first.text, QStringLiteral("Бір байтта неше бит бар?"));
    QCOMPARE(first.options, (std::array<QString, 5>{"8", "4", "16", "32", "64"}));
    QCOMPARE(first.right, 1); // the feedback after # is dropped
    QCOMPARE(result.questions[1].text,
             QStringLiteral("Өрнектегі { } = ~ # : таңбалары қалай жазылады?"));
    QCOMPARE(result.questions[2].text,
             QStringLiteral("Келесі кодтың нәтижесі қандай?\nx = 1\ny = x + 1"));
    QCOMPARE(result.questions[2].right, 2);
    QCOMPARE(result.questions[2].options[3], QStringLiteral("x + 1")); // a zero weight is wrong
    QCOMPARE(result.questions[3].right, 4);                            // %100% is right
}

void AdminFormatsTest::giftFormatTagsAndHtml_data()
{
    QTest::addColumn<QString>("gift");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("options");
    const QStringList devices = {"Пернетақта", "Монитор", "Принтер", "Колонка", "Проектор"};
    QTest::newRow("an answer's format tag is dropped")
        << "Қайсысы енгізу құрылғысы? {=Пернетақта ~Монитор ~Принтер ~Колонка ~[plain]Проектор}"
        << "Қайсысы енгізу құрылғысы?" << devices;
    QTest::newRow("HTML question: tags dropped, answers inherit HTML")
        << "[html]Which of these is an <b>input</b> device? {=<i>Пернетақта</i> ~Монитор "
           "~Принтер ~Колонка ~[plain]Проектор}"
        << "Which of these is an input device?" << devices;
    QTest::newRow("entities decoded")
        << "[html]Ең үлкені: 2&lt;3 &amp;&amp; 5&gt;4? &#1178;&#x0493; &laquo;иә&raquo;&nbsp;! "
           "{=a &amp; b ~&quot;c&quot; ~d ~e ~f}"
        << "Ең үлкені: 2<3 && 5>4? Қғ «иә» !" << QStringList{"a & b", "\"c\"", "d", "e", "f"};
    QTest::newRow("paragraphs and <br> as line breaks, other blanks as one space")
        << "[html]<p>Бірінші   жол</p>\n<p>Екінші<br/>үшінші</p> {=[html]<ul><li>a</li><li>b</li>"
           "</ul> ~b ~c ~d ~e}"
        << "Бірінші жол\nЕкінші\nүшінші" << QStringList{"a\nb", "b", "c", "d", "e"};
    QTest::newRow("an HTML answer of a plain question; a plain one of an HTML question")
        << "Plain <b>stays</b> {=[html]<b>x</b> ~y ~z ~w ~v}"
        << "Plain <b>stays</b>" << QStringList{"x", "y", "z", "w", "v"};
    QTest::newRow("moodle and markdown texts kept as written")
        << "[markdown]**Bold**? {=[moodle]<b>x</b> ~y ~z ~w ~v}"
        << "**Bold**?" << QStringList{"<b>x</b>", "y", "z", "w", "v"};
}

// Format tags as Moodle writes them, and HTML stored as the text a student reads: the test
// window shows a stored text as it is, tags and all.
void AdminFormatsTest::giftFormatTagsAndHtml()
{
    QFETCH(QString, gift);
    QFETCH(QString, text);
    QFETCH(QStringList, options);
    const ReadResult result = GiftFormat::read(gift);
    QVERIFY2(result.refusals.isEmpty(), qPrintable(refusalsOf(result)));
    QCOMPARE(result.questions.size(), 1);
    QCOMPARE(result.questions[0].text, text);
    QCOMPARE(QStringList(result.questions[0].options.begin(), result.questions[0].options.end()),
             options);
    QCOMPARE(result.questions[0].right, 1);
}

void AdminFormatsTest::tagQuestionsAndRefusals()
{
    const ReadResult good = TagFormat::read(QString::fromUtf8(sample("tags-questions.txt")));
    QVERIFY(good.refusals.isEmpty());
    QCOMPARE(good.questions.size(), 3);
    for (const Question& q : good.questions)
        QCOMPARE(q.right, 1); // the first variant, until the import shuffles
    QCOMPARE(good.questions[1].text, QStringLiteral("Екілік санау жүйесінде 5 саны қалай "
                                                    "жазылады?\nБір жауапты таңдаңыз."));
    QCOMPARE(good.questions[1].options[0], QStringLiteral("101"));
    QCOMPARE(good.questions[2].line, 15);
    QCOMPARE(good.questions[2].text, QStringLiteral("Жабушы тегтері бар сұрақ"));
    QCOMPARE(good.questions[2].options[4], QStringLiteral("Бесінші\nкөп жолды нұсқа"));

    const ReadResult bad = TagFormat::read(QString::fromUtf8(sample("tags-malformed.txt")));
    QCOMPARE(refusalsOf(bad),
             QStringLiteral("1: text before the first <question> line is left out\n"
                            "2: the question has 4 variants; the bank holds questions with "
                            "exactly 5\n"
                            "7: variant 2 has no text\n"
                            "13: the question has no text"));
    QCOMPARE(bad.questions.size(), 1);
    QCOMPARE(bad.questions[0].line, 19);
}

// The layout as teachers write it: a number or other text before a tag, a right option marked
// <variantright> anywhere in the list, and a question that marks two.
void AdminFormatsTest::tagLayoutAsTeachersWriteIt()
{
    const ReadResult result = TagFormat::read(
        QStringLiteral("1. <question> Процессор дегеніміз не?\n"
                       "  а) <variant>Монитор</variant>\n"
                       "б) <variantright>Орталық өңдеу құрылғысы\n"
                       "<VARIANT>Принтер\n"
                       "\t<variant>Тінтуір\n"
                       "<variant>Пернетақта\n"
                       "2) <question>Екі дұрыс\n"
                       "<variantright>а\n<variantright>ә\n<variant>б\n<variant>в\n<variant>г\n"
                       "Сұрақ 3: <question>Бірінші дұрыс\n"
                       "<variant>а\n<variant>ә\n<variant>б\n<variant>в\n<variant>г\n"));
    QCOMPARE(refusalsOf(result), QStringLiteral("7: 2 variants are marked <variantright>; a "
                                                "question has one right answer"));
    QCOMPARE(result.questions.size(), 2);
    const Question& first = result.questions[0];
    QCOMPARE(first.text, QStringLiteral("Процессор дегеніміз не?"));
    QCOMPARE(first.options[0], QStringLiteral("Монитор"));
    QCOMPARE(first.options[1], QStringLiteral("Орталық өңдеу құрылғысы"));
    QCOMPARE(first.options[3], QStringLiteral("Тінтуір"));
    QCOMPARE(first.right, 2);
    QCOMPARE(result.questions[1].text, QStringLiteral("Бірінші дұрыс"));
    QCOMPARE(result.questions[1].right, 1);
    QCOMPARE(QuestionFile::guess(QStringLiteral("1. <question>Q\n<variant>a")), Format::Tags);
}

// A learning platform's export: HTML with entities, CDATA and an image as plain text, plain
// texts as they are, categories passed over, every other kind and shape refused with its line.
void AdminFormatsTest::moodleXmlQuestionsAndOtherKinds()
{
    const auto outcome = QuestionFile::read(sample("moodle-questions.xml"));
    QCOMPARE(outcome.format, std::optional<Format>(Format::MoodleXml));
    const ReadResult& result = outcome.result;
    QCOMPARE(refusalsOf(result),
             QStringLiteral("52: a \"truefalse\" question; the bank holds single-answer multiple "
                            "choice\n"
                            "59: a multiple-answer question (several answers may be chosen); the "
                            "bank holds questions with one right answer\n"
                            "70: the question has 4 answers; the bank holds questions with "
                            "exactly 5\n"
                            "80: answer 2 is worth 50 %, which the bank cannot hold (an answer is "
                            "right or wrong)\n"
                            "91: a \"shortanswer\" question; the bank holds single-answer multiple "
                            "choice\n"
                            "109: 2 answers are worth 100 %; the bank holds questions with one "
                            "right answer"));
    QCOMPARE(result.notes.size(), 1);
    QCOMPARE(result.notes[0].line, 10);
    QCOMPARE(result.notes[0].reason, QStringLiteral("the question's image is left out"));
    QCOMPARE(result.questions.size(), 2);
    const Question& html = result.questions[0];
    QCOMPARE(html.line, 10);
    QCOMPARE(html.text, QStringLiteral("Қайсысы енгізу құрылғысы?\nБір жауапты таңдаңыз."));
    QCOMPARE(html.options, (std::array<QString, 5>{"Монитор", "Пернетақта & тінтуір", "Принтер",
                                                   "Динамик < 5 Вт", "Проектор"}));
    QCOMPARE(html.right, 2);
    const Question& plain = result.questions[1];
    QCOMPARE(plain.text, QStringLiteral("\"Тырнақша\" & <b>тег емес</b>\nекінші жол"));
    QCOMPARE(plain.options[0], QStringLiteral("100%"));
    QCOMPARE(plain.right, 5);

    // Broken XML: the questions before the fault, and the fault at its line.
    const ReadResult broken = MoodleXmlFormat::read(
        QStringLiteral("<quiz>\n<question type=\"multichoice\"><questiontext><text>Q</text>"
                       "</questiontext><answer fraction=\"100\"><text>a</text></answer>"
                       "<answer><text>b</text></answer><answer><text>c</text></answer>"
                       "<answer><text>d</text></answer><answer><text>e</text></answer>"
                       "</question>\n<question type=\"multichoice\">\n<text>unclosed"));
    QCOMPARE(broken.questions.size(), 1);
    QCOMPARE(broken.refusals.size(), 1);
    QCOMPARE(broken.refusals[0].line, 4);
    QVERIFY(broken.refusals[0].reason.startsWith(QStringLiteral("the file is not well-formed")));
    QVERIFY(!MoodleXmlFormat::isMoodleXml(QStringLiteral("<html><quiz/></html>")));

    // A control character XML cannot hold is left out of the export, with a warning.
    const WrittenBank control =
        MoodleXmlFormat::write({question(QStringLiteral("Q\x01R"), {"a", "b", "c", "d", "e"}, 1)});
    QCOMPARE(control.warnings, QStringList{QStringLiteral("question 1: the question has control "
                                                          "characters that XML cannot hold; they "
                                                          "are left out")});
    QCOMPARE(MoodleXmlFormat::read(control.text).questions.value(0).text, QStringLiteral("QR"));
}

// Word files: one LibreOffice made (Aiken with the option letters as a lettered list), one
// written as Word writes (numbered paragraphs, a tag split over runs, a soft line break, tab
// stops, a deleted run, a table, <variantright>), an old .doc, and damaged ones.
void AdminFormatsTest::wordDocumentsAsTeachersKeepThem()
{
    const auto libreOffice = QuestionFile::read(sample("word-libreoffice.docx"));
    QVERIFY(libreOffice.word);
    QCOMPARE(libreOffice.format, std::optional<Format>(Format::Aiken));
    QCOMPARE(refusalsOf(libreOffice.result),
             QStringLiteral("15: the question has 4 options; the bank holds questions with "
                            "exactly 5"));
    QCOMPARE(libreOffice.result.questions.size(), 2);
    QCOMPARE(libreOffice.result.questions[0].options[1], QStringLiteral("Командаларды орындау"));
    QCOMPARE(libreOffice.result.questions[0].right, 2);
    QCOMPARE(libreOffice.result.questions[1].line, 8);
    QCOMPARE(libreOffice.result.questions[1].right, 3);

    const auto word = QuestionFile::read(sample("word-handwritten.docx"));
    QCOMPARE(word.format, std::optional<Format>(Format::Tags));
    QCOMPARE(refusalsOf(word.result),
             QStringLiteral("1: text before the first <question> line is left out\n"
                            "15: the question has 4 variants; the bank holds questions with "
                            "exactly 5"));
    QCOMPARE(word.result.questions.size(), 2);
    const Question& numbered = word.result.questions[0];
    QCOMPARE(numbered.line, 2);
    QCOMPARE(numbered.text, QStringLiteral("Компьютердің жедел жады қалай аталады?\nБір жауапты "
                                           "таңдаңыз."));
    QCOMPARE(numbered.options, (std::array<QString, 5>{"ПЗУ", "ОЖҚ (RAM)", "Қатқыл диск",
                                                       "Флеш-жинақтауыш", "Кэш & регистр"}));
    QCOMPARE(numbered.right, 2);
    const Question& inTable = word.result.questions[1];
    QCOMPARE(inTable.line, 9);
    QCOMPARE(inTable.text, QStringLiteral("Екілік жүйеде 2 саны қалай жазылады?"));
    QCOMPARE(inTable.options[0], QStringLiteral("10"));
    QCOMPARE(inTable.options[4], QStringLiteral("100"));
    QCOMPARE(inTable.right, 1);
    // A formula's text stays in its line; a text box's text comes once, not again from the copy
    // kept for older programs.
    const QString text = WordDocument::textOf(sample("word-handwritten.docx")).text;
    QVERIFY2(text.contains(QStringLiteral("Төрт нұсқалы сұрақ: x+1=5\n")), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("Ескерту қорабы")), 1);

    // An old .doc, through LibreOffice, reads as its .docx does.
    QTemporaryDir scratch;
    const QString doc = scratch.filePath(QStringLiteral("old.doc"));
    QFile::copy(TestCourse::testDataDir() + QStringLiteral("/admin/word-old.doc"), doc);
    const WordDocument::Converted converted = WordDocument::convertDoc(doc);
    QVERIFY2(converted.error.isEmpty(), qPrintable(converted.error));
    const auto old = QuestionFile::read(converted.docx);
    QCOMPARE(old.result.questions.size(), 2);
    QVERIFY(sameRows(old.result.questions, libreOffice.result.questions));

    // A cut-off file and one whose text part is not XML: a clear error, no questions.
    const QByteArray whole = sample("word-handwritten.docx");
    const auto cut = QuestionFile::read(whole.left(whole.size() / 2));
    QVERIFY2(cut.error.startsWith(QStringLiteral("the Word document cannot be read")),
             qPrintable(cut.error));
    QVERIFY(WordDocument::textOf(whole.left(200)).text.isEmpty());
    QVERIFY(!WordDocument::isDocx(QByteArray("PK\x03\x04 a zip of something else")));
}

void AdminFormatsTest::formatIsGuessedFromTheContent_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format"); // -1: none

    QTest::newRow("tags") << "<question>Q\n<variant>a\n" << int(Format::Tags);
    QTest::newRow("tags in capitals, indented")
        << "  <QUESTION>Q {x}\nANSWER: A" << int(Format::Tags);
    QTest::newRow("Aiken") << "Q\nA) a\nANSWER: A\n" << int(Format::Aiken);
    QTest::newRow("Aiken, answer in lower case") << "Q\nA) a\nanswer : a\n" << int(Format::Aiken);
    QTest::newRow("GIFT") << "Q {=a ~b}" << int(Format::Gift);
    QTest::newRow("plain text") << "Just some notes.\nA) not a question" << -1;
    QTest::newRow("empty") << "" << -1;
}

void AdminFormatsTest::formatIsGuessedFromTheContent()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    const auto guessed = QuestionFile::guess(text);
    QCOMPARE(guessed ? int(*guessed) : -1, format);
    if (format < 0) {
        const auto outcome = QuestionFile::read(text.toUtf8());
        QVERIFY2(outcome.error.contains(QStringLiteral("--format")), qPrintable(outcome.error));
    }
}

void AdminFormatsTest::shuffleIsRepeatableAndMovesTheRightAnswer()
{
    const Question original = question(QStringLiteral("Q"), {"right", "w1", "w2", "w3", "w4"}, 1);
    const auto orders = [&](quint64 seed) {
        QuestionFile::Shuffler shuffler(seed);
        QList<Question> shuffled;
        for (int i = 0; i < 500; ++i) {
            Question q = original;
            shuffler.shuffle(q);
            shuffled << q;
        }
        return shuffled;
    };
    const QList<Question> first = orders(42);
    QVERIFY(sameRows(first, orders(42)));
    QVERIFY(!sameRows(first, orders(43)));

    std::array<int, 5> landed{};
    for (const Question& q : first) {
        QCOMPARE(q.options[q.right - 1], QStringLiteral("right"));
        QStringList sorted(q.options.begin(), q.options.end());
        sorted.sort();
        QCOMPARE(sorted, QStringList({"right", "w1", "w2", "w3", "w4"}));
        ++landed[q.right - 1];
    }
    // Every position gets the right answer about a fifth of the time (100 of 500).
    for (const int count : landed)
        QVERIFY2(count > 60 && count < 140, qPrintable(QString::number(count)));
}

void AdminFormatsTest::writersGiveTheSameRowsBack_data()
{
    QTest::addColumn<QList<Question>>("questions");
    QTest::addColumn<bool>("aikenToo");

    const QString megabyte = QString(1024 * 1024 / 8, QLatin1Char('x'))
                                 .replace(QLatin1Char('x'), QStringLiteral("Қазақша"));
    QTest::newRow("quotes, % and _, both alphabets")
        << QList<Question>{question(QStringLiteral("It's \"quoted\" and 'single', 100% _sure_?"),
                                    {"O'Brien", "\"Ескерту\"", "50%", "a_b", "Ёжик"}, 3),
                           question(QStringLiteral("Қай әріп қазақша: Ә, Ғ, Қ, Ң, Ө, Ұ, Ү, Һ, І?"),
                                    {"Ә", "Щ", "Ъ", "Ь", "Э"}, 1)}
        << true;
    QTest::newRow("line breaks") << QList<Question>{question(
                                        QStringLiteral("First line\nsecond line\nthird"),
                                        {"one\ntwo", "x", "y", "z", "w"}, 5)}
                                 << true;
    QTest::newRow("a text of a megabyte")
        << QList<Question>{question(megabyte, {megabyte, "b", "c", "d", "e"}, 2)} << true;
    QTest::newRow("GIFT's special characters")
        << QList<Question>{question(QStringLiteral("::not a title:: {=not ~answers} #1 // no "
                                                   "comment"),
                                    {"=", "~", "{}", "a:b", "#"}, 4)}
        << true;
    QTest::newRow("backslashes and escape look-alikes")
        << QList<Question>{question(QStringLiteral("C:\\new\\table and \\n and \\\\"),
                                    {"\\", "\\~", "a\\", "\\n", "\\{"}, 2)}
        << true;
    QTest::newRow("answers that begin with a per cent sign")
        << QList<Question>{question(QStringLiteral("%1 is not a weight"),
                                    {"%50% off", "%", "% of all", "100%", "%-5%"}, 1),
                           question(QStringLiteral("Q"), {"a", "%0%", "%12.5%", "c", "%%"}, 2)}
        << true;
    QTest::newRow("texts that begin like GIFT format tags")
        << QList<Question>{question(QStringLiteral("[html]<b>bold</b>?"),
                                    {"[plain]", "[markdown] *x*", "c", "d", "e"}, 1),
                           question(QStringLiteral("[PLAIN]"), {"a", "b", "c", "d", "e"}, 2)}
        << true;
    QTest::newRow("a line that opens a tag question (GIFT only)")
        << QList<Question>{question(QStringLiteral("What does this line say?\n<question> x"),
                                    {"a", "b", "c", "d", "e"}, 3)}
        << false;
    QTest::newRow("a byte order mark first (GIFT only)")
        << QList<Question>{question(QStringLiteral("\uFEFFBOM"), {"a", "b", "c", "d", "e"}, 1)}
        << false;
    QTest::newRow("carriage returns, blank lines, option look-alikes (GIFT only)")
        << QList<Question>{question(QStringLiteral("Access text\r\nwith CR LF\r\n\r\nand a "
                                                   "blank line"),
                                    {"A) looks like an option", "line\nB) another", "ANSWER: C",
                                     "// a comment?", "mid\rCR"},
                                    3)}
        << false;
}

void AdminFormatsTest::writersGiveTheSameRowsBack()
{
    QFETCH(QList<Question>, questions);
    QFETCH(bool, aikenToo);

    const WrittenBank gift = GiftFormat::write(questions);
    QVERIFY2(gift.warnings.isEmpty(), qPrintable(gift.warnings.join(QLatin1Char('\n'))));
    const auto giftBack = QuestionFile::read(gift.text.toUtf8());
    QCOMPARE(giftBack.format, std::optional<Format>(Format::Gift));
    QVERIFY2(giftBack.result.refusals.isEmpty(), qPrintable(refusalsOf(giftBack.result)));
    QVERIFY(sameRows(giftBack.result.questions, questions));

    // Moodle XML carries every text exactly.
    const WrittenBank moodle = MoodleXmlFormat::write(questions);
    QVERIFY2(moodle.warnings.isEmpty(), qPrintable(moodle.warnings.join(QLatin1Char('\n'))));
    const auto moodleBack = QuestionFile::read(moodle.text.toUtf8());
    QCOMPARE(moodleBack.format, std::optional<Format>(Format::MoodleXml));
    QVERIFY2(moodleBack.result.refusals.isEmpty(), qPrintable(refusalsOf(moodleBack.result)));
    QVERIFY(sameRows(moodleBack.result.questions, questions));

    const WrittenBank aiken = AikenFormat::write(questions);
    if (aikenToo) {
        QVERIFY2(aiken.warnings.isEmpty(), qPrintable(aiken.warnings.join(QLatin1Char('\n'))));
        const auto aikenBack = QuestionFile::read(aiken.text.toUtf8());
        QCOMPARE(aikenBack.format, std::optional<Format>(Format::Aiken));
        QVERIFY2(aikenBack.result.refusals.isEmpty(), qPrintable(refusalsOf(aikenBack.result)));
        QVERIFY(sameRows(aikenBack.result.questions, questions));
    } else {
        QVERIFY(!aiken.warnings.isEmpty());
    }
}

void AdminFormatsTest::writersWarnWhereTheFormatCannotCarryARow_data()
{
    QTest::addColumn<Question>("row");
    QTest::addColumn<QString>("aikenWarning");
    QTest::addColumn<QString>("giftWarning");

    QTest::newRow("no right answer") << question("Q", {"a", "b", "c", "d", "e"}, 0) << "not 1 to 5"
                                     << "not 1 to 5";
    QTest::newRow("an empty answer") << question("Q", {"a", "", "c", "d", "e"}, 1) << "empty"
                                     << "answer 2 is empty";
    QTest::newRow("blanks at the end") << question("Q ", {"a", "b", "c", "d", "e"}, 1) << "blanks"
                                       << "blanks";
    QTest::newRow("a blank line") << question("Q\n\nmore", {"a", "b", "c", "d", "e"}, 1)
                                  << "a blank line"
                                  << "";
    QTest::newRow("a line read as an option")
        << question("Q", {"a\nB. b", "b", "c", "d", "e"}, 1) << "reads as an option"
        << "";
    QTest::newRow("a carriage return")
        << question("Q\r\nR", {"a", "b", "c", "d", "e"}, 1) << "carriage return"
        << "";
    // An import refuses a file with NUL characters in it whole, not just this row.
    QTest::newRow("a NUL character")
        << question(QString::fromUtf16(u"Q\0R", 3), {"a", "b", "c", "d", "e"}, 1)
        << "a NUL character"
        << "has a NUL character";
    // Read without --format, such a file would be taken for the tag format.
    QTest::newRow("a line that opens a tag question")
        << question("Q", {"a", "b", "c\n<Question>d", "d", "e"}, 1) << "begins with <question>"
        << "";
}

void AdminFormatsTest::writersWarnWhereTheFormatCannotCarryARow()
{
    QFETCH(Question, row);
    QFETCH(QString, aikenWarning);
    QFETCH(QString, giftWarning);
    const QList<Question> rows{question("Fine", {"a", "b", "c", "d", "e"}, 2), row};

    const WrittenBank aiken = AikenFormat::write(rows);
    QCOMPARE(aiken.warnings.size(), 1);
    QVERIFY2(aiken.warnings[0].startsWith(QStringLiteral("question 2: ")) &&
                 aiken.warnings[0].contains(aikenWarning),
             qPrintable(aiken.warnings[0]));
    const WrittenBank gift = GiftFormat::write(rows);
    if (giftWarning.isEmpty()) {
        QVERIFY(gift.warnings.isEmpty());
    } else {
        QCOMPARE(gift.warnings.size(), 1);
        QVERIFY2(gift.warnings[0].contains(giftWarning), qPrintable(gift.warnings[0]));
    }
    // The row is in the file all the same: never dropped silently.
    QCOMPARE(aiken.text.count(QStringLiteral("ANSWER:")), 2);
    QCOMPARE(gift.text.count(QStringLiteral("::2::")), 1);
}

void AdminFormatsTest::readersSurviveArbitraryBytes()
{
    // Deterministic noise made of the characters the readers look for, in every format and
    // encoding: nothing may crash, hang or return a question that does not fit the bank.
    static const char kAlphabet[] =
        "ANSWER:{}=~#\\/<question><variant>ABCDE) .\n\r\t%\xD0\x90\xFF\xFE\x00";
    const QByteArray alphabet(kAlphabet, sizeof kAlphabet - 1);
    quint64 state = 1;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(state % 300);
        for (int i = 0; i < length; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            bytes += alphabet[static_cast<qsizetype>((state >> 33) % alphabet.size())];
        }
        for (const Format format : {Format::Aiken, Format::Gift, Format::Tags, Format::MoodleXml}) {
            const auto outcome = QuestionFile::read(bytes, format);
            for (const Question& q : outcome.result.questions) {
                QVERIFY(q.right >= 1 && q.right <= 5);
                QVERIFY(!q.text.isEmpty());
            }
        }
        QuestionFile::read(bytes);
    }
    // Deep nesting and long runs of markers stay flat work.
    QuestionFile::read(QByteArray(200000, '{') + QByteArray(200000, '}'), Format::Gift);
    QuestionFile::read(QByteArray(100000, '\\'), Format::Gift);
    QuestionFile::read(QByteArray("Q\n") + QByteArray("A) x\n").repeated(50000), Format::Aiken);
}

QTEST_GUILESS_MAIN(AdminFormatsTest)
#include "tst_admin_formats.moc"
