#include "WordDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>
#include <array>
#include <csignal>
#include <optional>
#include <sys/types.h>
#include <unistd.h>
#include <zip.h>

namespace WordDocument {

namespace {

const QString kWordNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kMathNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/math");
const QString kCompatibilityNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
// A question file's XML is a few megabytes; more than this is not one (or a zip bomb).
constexpr zip_uint64_t kLargestPart = 256 * 1024 * 1024;
constexpr int kLevels = 9;

struct Part {
    QByteArray bytes;
    bool found = false;
    QString error;
};

// One part of the zip, read from memory.
Part zipPart(const QByteArray& zipBytes, const char* name)
{
    Part part;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(zipBytes.constData(), zip_uint64_t(zipBytes.size()), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        part.error = QStringLiteral("the file is not a readable zip (%1)")
                         .arg(QString::fromUtf8(zip_error_strerror(&error)));
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return part;
    }
    zip_error_fini(&error);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name, 0, &stat) == 0) {
        part.found = true;
        zip_file_t* file = (stat.valid & ZIP_STAT_SIZE) && stat.size <= kLargestPart
                               ? zip_fopen(archive, name, 0)
                               : nullptr;
        if (file) {
            part.bytes.resize(qsizetype(stat.size));
            if (zip_fread(file, part.bytes.data(), stat.size) != zip_int64_t(stat.size))
                part.error = QStringLiteral("%1 in it is damaged").arg(QLatin1String(name));
            zip_fclose(file);
        } else {
            part.error = QStringLiteral("%1 in it cannot be read").arg(QLatin1String(name));
        }
    }
    zip_discard(archive);
    return part;
}

QString attribute(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(kWordNamespace, QLatin1String(name)).toString();
}

// How a level of a numbered list writes its number.
struct Level {
    QString format = QStringLiteral("decimal");
    QString text;
    int start = 1;
};

QString letters(int number, const QString& alphabet)
{
    if (number < 1)
        return QString::number(number);
    // Word goes A..Z, then AA, BB...
    const int size = int(alphabet.size());
    return QString((number - 1) / size + 1, alphabet.at((number - 1) % size));
}

QString roman(int number)
{
    if (number < 1 || number > 3999)
        return QString::number(number);
    static const std::array<std::pair<int, const char*>, 13> kDigits = {{{1000, "M"},
                                                                         {900, "CM"},
                                                                         {500, "D"},
                                                                         {400, "CD"},
                                                                         {100, "C"},
                                                                         {90, "XC"},
                                                                         {50, "L"},
                                                                         {40, "XL"},
                                                                         {10, "X"},
                                                                         {9, "IX"},
                                                                         {5, "V"},
                                                                         {4, "IV"},
                                                                         {1, "I"}}};
    QString out;
    for (const auto& [value, digits] : kDigits) {
        while (number >= value) {
            out += QLatin1String(digits);
            number -= value;
        }
    }
    return out;
}

QString formatted(int number, const QString& format)
{
    static const QString kLatin = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    static const QString kRussian = QStringLiteral("АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ");
    if (format == QLatin1String("upperLetter"))
        return letters(number, kLatin);
    if (format == QLatin1String("lowerLetter"))
        return letters(number, kLatin).toLower();
    if (format == QLatin1String("russianUpper"))
        return letters(number, kRussian);
    if (format == QLatin1String("russianLower"))
        return letters(number, kRussian).toLower();
    if (format == QLatin1String("upperRoman"))
        return roman(number);
    if (format == QLatin1String("lowerRoman"))
        return roman(number).toLower();
    if (format == QLatin1String("decimalZero") && number < 10)
        return QStringLiteral("0%1").arg(number);
    return QString::number(number);
}

// The numbered lists of a document: the levels of each list and the numbers reached so far.
class Numbering {
public:
    explicit Numbering(const QByteArray& numberingXml);

    // The number of the next paragraph of that list at that level, as Word shows it ("2.",
    // "B)"); empty for a bullet or a list the document does not define.
    QString next(int list, int level);

private:
    struct List {
        std::array<Level, kLevels> levels;
        std::array<std::optional<int>, kLevels> startOverride;
        std::array<std::optional<int>, kLevels> counters;
    };
    QHash<int, std::array<Level, kLevels>> m_abstract;
    QHash<int, List> m_lists;
};

Numbering::Numbering(const QByteArray& numberingXml)
{
    QXmlStreamReader xml(numberingXml);
    int abstractId = -1;
    int level = -1;
    int list = -1;
    QHash<int, int> abstractOfList;
    QHash<int, std::array<std::optional<int>, kLevels>> overrides;
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        if (name == QLatin1String("abstractNum")) {
            abstractId = attribute(xml, "abstractNumId").toInt();
            list = -1;
            m_abstract[abstractId] = {};
        } else if (name == QLatin1String("num")) {
            list = attribute(xml, "numId").toInt();
            abstractId = -1;
        } else if (name == QLatin1String("lvl") || name == QLatin1String("lvlOverride")) {
            level = attribute(xml, "ilvl").toInt();
        } else if (level >= 0 && level < kLevels && abstractId >= 0) {
            Level& definition = m_abstract[abstractId][level];
            if (name == QLatin1String("start"))
                definition.start = attribute(xml, "val").toInt();
            else if (name == QLatin1String("numFmt"))
                definition.format = attribute(xml, "val");
            else if (name == QLatin1String("lvlText"))
                definition.text = attribute(xml, "val");
        } else if (list >= 0 && name == QLatin1String("abstractNumId")) {
            abstractOfList[list] = attribute(xml, "val").toInt();
        } else if (list >= 0 && level >= 0 && level < kLevels &&
                   name == QLatin1String("startOverride")) {
            overrides[list][level] = attribute(xml, "val").toInt();
        }
    }
    for (auto it = abstractOfList.cbegin(); it != abstractOfList.cend(); ++it) {
        List& defined = m_lists[it.key()];
        defined.levels = m_abstract.value(it.value());
        defined.startOverride = overrides.value(it.key());
    }
}

QString Numbering::next(int list, int level)
{
    const auto found = m_lists.find(list);
    if (found == m_lists.end() || level < 0 || level >= kLevels)
        return {};
    List& numbered = *found;
    for (int deeper = level + 1; deeper < kLevels; ++deeper)
        numbered.counters[deeper].reset();
    std::optional<int>& counter = numbered.counters[level];
    counter = counter ? *counter + 1
                      : numbered.startOverride[level].value_or(numbered.levels[level].start);
    const Level& shown = numbered.levels[level];
    if (shown.format == QLatin1String("bullet") || shown.format == QLatin1String("none"))
        return {};
    QString text = shown.text;
    for (int i = 0; i <= level; ++i)
        text.replace(QStringLiteral("%%1").arg(i + 1),
                     formatted(numbered.counters[i].value_or(numbered.levels[i].start),
                               numbered.levels[i].format));
    return text;
}

} // namespace

bool isDocx(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04") && bytes.contains("word/document.xml");
}

bool isDoc(const QByteArray& bytes)
{
    return bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

Text textOf(const QByteArray& docx)
{
    Text result;
    const Part document = zipPart(docx, "word/document.xml");
    if (!document.error.isEmpty() || !document.found) {
        result.error =
            document.error.isEmpty()
                ? QStringLiteral("not a Word document: word/document.xml is missing")
                : QStringLiteral("the Word document cannot be read: %1").arg(document.error);
        return result;
    }
    Numbering numbering(zipPart(docx, "word/numbering.xml").bytes);

    QXmlStreamReader xml(document.bytes);
    QString& out = result.text;
    // Paragraphs open at once: a text box's paragraphs stand inside the paragraph that holds it.
    struct Paragraph {
        QString text;
        int list = 0;
        int level = 0;
    };
    QList<Paragraph> open;
    Paragraph outside; // text outside any paragraph is not kept
    const auto paragraph = [&]() -> Paragraph& { return open.isEmpty() ? outside : open.last(); };
    int runDepth = 0;
    QList<QStringList> rows;
    QStringList cells;
    const auto addLine = [&](const QString& line) {
        if (cells.isEmpty())
            out += line + QLatin1Char('\n');
        else
            cells.last() += (cells.last().isEmpty() ? QString() : QStringLiteral("\n")) + line;
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.namespaceUri() == kCompatibilityNamespace &&
            xml.name() == QLatin1String("Fallback")) {
            // The same content again, for programs that do not read the choice before it.
            xml.skipCurrentElement();
            continue;
        }
        if (xml.isStartElement() && xml.namespaceUri() == kMathNamespace &&
            xml.name() == QLatin1String("t")) {
            // A formula's text, in a line as it reads.
            paragraph().text += xml.readElementText();
            continue;
        }
        if (xml.namespaceUri() != kWordNamespace)
            continue;
        const QStringView name = xml.name();
        if (xml.isStartElement()) {
            if (name == QLatin1String("p")) {
                open.append(Paragraph{});
            } else if (name == QLatin1String("r")) {
                ++runDepth;
            } else if (name == QLatin1String("numId")) {
                paragraph().list = attribute(xml, "val").toInt();
            } else if (name == QLatin1String("ilvl")) {
                paragraph().level = attribute(xml, "val").toInt();
            } else if (name == QLatin1String("t") && runDepth > 0) {
                paragraph().text += xml.readElementText();
            } else if (runDepth > 0 && name == QLatin1String("tab")) {
                paragraph().text += QLatin1Char('\t');
            } else if (runDepth > 0 &&
                       (name == QLatin1String("br") || name == QLatin1String("cr"))) {
                paragraph().text += QLatin1Char('\n');
            } else if (runDepth > 0 && name == QLatin1String("noBreakHyphen")) {
                paragraph().text += QLatin1Char('-');
            } else if (name == QLatin1String("tr")) {
                rows.append(cells);
                cells.clear();
            } else if (name == QLatin1String("tc")) {
                cells.append(QString());
            }
        } else if (xml.isEndElement()) {
            if (name == QLatin1String("r")) {
                --runDepth;
            } else if (name == QLatin1String("p") && !open.isEmpty()) {
                const Paragraph ended = open.takeLast();
                const QString number =
                    ended.list > 0 ? numbering.next(ended.list, ended.level) : QString();
                addLine(number.isEmpty() ? ended.text : number + QLatin1Char(' ') + ended.text);
            } else if (name == QLatin1String("tr") && !rows.isEmpty()) {
                const QString row = cells.join(QLatin1Char('\t'));
                cells = rows.takeLast();
                addLine(row);
            }
        }
    }
    if (xml.hasError()) {
        result.error = QStringLiteral("the Word document is damaged (%1 at line %2 of its XML)")
                           .arg(xml.errorString())
                           .arg(xml.lineNumber());
        result.text.clear();
    }
    return result;
}

Converted convertDoc(const QString& path, const std::function<bool()>& cancelled)
{
    Converted converted;
    QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty()) {
        converted.error = QStringLiteral("an old Word file (.doc): LibreOffice is needed to read "
                                         "it and is not installed; save it as .docx in Word, or "
                                         "install libreoffice-writer");
        return converted;
    }
    QTemporaryDir work;
    const QString input = work.filePath(QStringLiteral("questions.doc"));
    if (!work.isValid() || !QFile::copy(path, input)) {
        converted.error = QStringLiteral("cannot make a working copy to convert");
        return converted;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own: "soffice" is a script that starts the real program, and stopping the
    // conversion must stop both.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(office,
                  {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                   QStringLiteral("-env:UserInstallation=") +
                       QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(),
                   QStringLiteral("--convert-to"), QStringLiteral("docx"),
                   QStringLiteral("--outdir"), work.path(), input});
    if (!process.waitForStarted()) {
        converted.error =
            QStringLiteral("LibreOffice could not be started: %1").arg(process.errorString());
        return converted;
    }
    QElapsedTimer running;
    running.start();
    while (!process.waitForFinished(200)) {
        converted.cancelled = cancelled && cancelled();
        if (!converted.cancelled && running.elapsed() < 120000)
            continue;
        ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        converted.error = converted.cancelled
                              ? QStringLiteral("cancelled")
                              : QStringLiteral("LibreOffice did not convert the .doc file within "
                                               "two minutes");
        return converted;
    }
    QFile output(work.filePath(QStringLiteral("questions.docx")));
    if (!output.open(QIODevice::ReadOnly) || !isDocx(converted.docx = output.readAll())) {
        converted.docx.clear();
        converted.error = QStringLiteral("LibreOffice could not convert the .doc file (it may be "
                                         "damaged)");
    }
    return converted;
}

} // namespace WordDocument
