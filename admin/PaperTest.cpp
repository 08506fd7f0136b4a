#include "PaperTest.h"

#include <QRandomGenerator>
#include <QSet>

namespace PaperTest {

namespace {

const QString kLetters = QStringLiteral("ABCDE");

// A text as HTML, its line breaks kept.
QString shown(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

QString style()
{
    return QStringLiteral(
        "@page { size: A4; margin: 12mm; }\n"
        "body { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 9.5pt; "
        "color: #000; margin: 0; }\n"
        "section.variant { break-after: page; }\n"
        "h1 { font-size: 14pt; margin: 0 0 3mm; }\n"
        "p.student { display: flex; gap: 6mm; margin: 0 0 3mm; }\n"
        "p.student span { flex: 1; border-bottom: 0.3mm solid #000; padding-bottom: 1mm; }\n"
        "p.student span.narrow { flex: 0 0 35mm; }\n"
        "p.rule { margin: 0 0 4mm; font-style: italic; }\n"
        // Two columns: a variant takes two pages rather than four.
        "ol.questions { margin: 0; padding-left: 7mm; columns: 2; column-gap: 8mm; }\n"
        "ol.questions > li { break-inside: avoid; margin: 0 0 2mm; }\n"
        "ol.options { list-style: none; margin: 1mm 0 0; padding-left: 2mm; }\n"
        "ol.options li { margin: 0.2mm 0; }\n"
        "table.keys { border-collapse: collapse; width: 100%; font-size: 9pt; "
        "table-layout: fixed; }\n"
        "table.keys th:first-child { width: 14mm; }\n"
        "table.keys th, table.keys td { border: 0.2mm solid #666; padding: 0.8mm 0; "
        "text-align: center; }\n"
        "table.keys thead { display: table-header-group; }\n"
        "table.keys tr { break-inside: avoid; }\n"
        "p.meta { color: #333; font-size: 9pt; }\n");
}

QString questionItem(const Question& question)
{
    QString item = QStringLiteral("<li>%1\n<ol class=\"options\">\n").arg(shown(question.text));
    for (int option = 0; option < Question::kOptions; ++option)
        item += QStringLiteral("<li>%1) %2</li>\n")
                    .arg(kLetters.at(option))
                    .arg(shown(question.options[option]));
    return item + QStringLiteral("</ol>\n</li>\n");
}

} // namespace

QList<QList<int>> draw(int variants, int bankSize, quint64 seed, DrawRule::Mode mode)
{
    const quint32 seedWords[] = {quint32(seed), quint32(seed >> 32)};
    QRandomGenerator generator(seedWords, 2);
    QList<QList<int>> drawn;
    for (int v = 0; v < variants; ++v)
        drawn << DrawRule::draw(bankSize, mode, generator, kQuestions);
    return drawn;
}

QString html(const QList<Question>& bank, const QList<QList<int>>& variants, quint64 seed,
             QStringList& warnings)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"kk\">\n<head>\n"
                                  "<meta charset=\"utf-8\">\n<title>Тест: %1 нұсқа</title>\n"
                                  "<style>\n%2</style>\n</head>\n<body>\n")
                       .arg(variants.size())
                       .arg(style());
    QSet<int> unkeyed;
    for (qsizetype v = 0; v < variants.size(); ++v) {
        page += QStringLiteral("<section class=\"variant\">\n<h1>Тест · %1-нұсқа</h1>\n"
                               "<p class=\"student\"><span>Аты-жөні:</span>"
                               "<span class=\"narrow\">Тобы:</span>"
                               "<span class=\"narrow\">Күні:</span></p>\n"
                               "<p class=\"rule\">Әр сұраққа бір жауапты белгілеңіз.</p>\n"
                               "<ol class=\"questions\">\n")
                    .arg(v + 1);
        for (int position : variants[v])
            page += questionItem(bank.value(position));
        page += QStringLiteral("</ol>\n</section>\n");
    }

    page += QStringLiteral("<section class=\"keys\">\n<h1>Жауаптар кілті</h1>\n"
                           "<table class=\"keys\">\n<thead><tr><th scope=\"col\">Нұсқа</th>");
    for (int q = 1; q <= kQuestions; ++q)
        page += QStringLiteral("<th scope=\"col\">%1</th>").arg(q);
    page += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (qsizetype v = 0; v < variants.size(); ++v) {
        page += QStringLiteral("<tr><th scope=\"row\">%1</th>").arg(v + 1);
        for (int position : variants[v]) {
            const int right = bank.value(position).right;
            const bool keyed = right >= 1 && right <= Question::kOptions;
            if (!keyed)
                unkeyed.insert(position);
            page += QStringLiteral("<td>%1</td>").arg(keyed ? kLetters.at(right - 1) : QChar(u'?'));
        }
        page += QStringLiteral("</tr>\n");
    }
    page += QStringLiteral("</tbody>\n</table>\n"
                           "<p class=\"meta\">Сұрақтар банкі: %1 сұрақ · seed %2 · бұл бетті "
                           "оқушыларға бермеңіз.</p>\n</section>\n</body>\n</html>\n")
                .arg(bank.size())
                .arg(seed);
    QList<int> sorted = unkeyed.values();
    std::sort(sorted.begin(), sorted.end());
    for (int position : sorted)
        warnings << QStringLiteral("question %1 of the bank has no right answer 1 to 5; its key "
                                   "is printed as \"?\"")
                        .arg(position + 1);
    return page;
}

} // namespace PaperTest
