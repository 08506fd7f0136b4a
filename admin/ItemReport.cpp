#include "ItemReport.h"

#include "Results.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace ItemReport {

namespace {

constexpr double kTooEasy = 95;
constexpr double kTooHard = 5;
constexpr double kLeastDiscrimination = 15;
constexpr int kFewestChoosers = 2;
constexpr int kQuestionsPerPage = 40;
constexpr int kShownCharacters = 60;

const QStringList kLetters = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                              QStringLiteral("D"), QStringLiteral("E")};

// The value as it rounds to that many decimals, a tiny negative one as 0 rather than "-0".
double rounded(double value, int decimals)
{
    return std::abs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

// A figure for the CSV: two decimals after a full stop; an undefined one is empty.
QString csvNumber(const std::optional<double>& value)
{
    return value ? QString::number(rounded(*value, 2), 'f', 2) : QString();
}

// A figure for the console: as in the CSV, an undefined one a dash.
QString printed(const std::optional<double>& value)
{
    return value ? csvNumber(value) : QStringLiteral("—");
}

// A figure for the report, with the Kazakh decimal comma; an undefined one is a dash.
QString shown(const std::optional<double>& value, int decimals = 1)
{
    return value ? QLocale(QLocale::Kazakh, QLocale::Kazakhstan)
                       .toString(rounded(*value, decimals), 'f', decimals)
                 : QStringLiteral("—");
}

std::optional<double> share(int part, int whole)
{
    if (whole <= 0)
        return std::nullopt;
    return 100.0 * part / whole;
}

int severity(const Item& item)
{
    int worst = 0;
    for (Flag flag : item.flags) {
        switch (flag) {
        case Flag::TooFewAttempts:
            return -1;
        case Flag::ProbablyMisKeyed:
            worst = std::max(worst, 4);
            break;
        case Flag::DoesNotDiscriminate:
            worst = std::max(worst, 3);
            break;
        case Flag::TooHard:
            worst = std::max(worst, 2);
            break;
        case Flag::TooEasy:
            worst = std::max(worst, 1);
            break;
        }
    }
    return worst;
}

QString flagList(const QList<Flag>& flags)
{
    QStringList texts;
    for (Flag flag : flags)
        texts << flagText(flag);
    return texts.join(QStringLiteral(", "));
}

// The question's text on one line, cut to what the table shows.
QString shortened(const Item& item)
{
    if (!item.inBank)
        return QStringLiteral("(банктен өшірілген)");
    QString text = item.text.simplified();
    if (text.size() > kShownCharacters) {
        qsizetype cut = kShownCharacters - 1;
        // A character outside the BMP is two code units: cut before it, not through it.
        if (text[cut - 1].isHighSurrogate())
            --cut;
        text = text.left(cut).trimmed() + QChar(u'…');
    }
    return text;
}

// Discriminative efficiency as the report gives it: with too few draws the ratio swings to
// absurd values, so it is left out where the verdicts are.
std::optional<double> efficiency(const ItemStatistics::Question& question)
{
    return question.drawn < kFewestDraws ? std::nullopt : question.efficiency;
}

QString optionCell(const ItemStatistics::Question& question, int option, bool right)
{
    const ItemStatistics::OptionUse& use = question.options[option];
    const QString cell =
        QStringLiteral("%1 <span class=\"score\">%2</span>")
            .arg(shown(share(use.chosen, question.answers), 0), shown(use.meanScore));
    return right ? QStringLiteral("<td class=\"right\">%1</td>").arg(cell)
                 : QStringLiteral("<td>%1</td>").arg(cell);
}

QString itemRow(int rank, const Item& item)
{
    const ItemStatistics::Question& q = item.figures;
    const int right = AnswerRows::optionNumber(item.right);
    QString row =
        QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"text\">%3</td>"
                       "<td>%4</td><td>%5</td><td>%6</td><td>%7</td><td>%8</td>"
                       "<td>%9</td>")
            .arg(QString::number(rank), QString::number(q.id), shortened(item).toHtmlEscaped(),
                 QString::number(q.drawn), shown(q.facility), shown(q.sd), shown(q.discrimination),
                 shown(efficiency(q)), shown(q.d27));
    for (int option = 0; option < ItemStatistics::kOptions; ++option)
        row += optionCell(q, option, option + 1 == right);
    row += QStringLiteral("<td>%1</td><td class=\"flags\">%2</td></tr>\n")
               .arg(AnswerRows::letter(item.right).toHtmlEscaped(),
                    flagList(item.flags).toHtmlEscaped());
    return row;
}

QString itemTableHead()
{
    QString head = QStringLiteral(
        "<colgroup><col class=\"rank\"><col class=\"id\"><col><col class=\"figure\">"
        "<col class=\"figure\"><col class=\"figure\"><col class=\"wide\"><col class=\"wide\">"
        "<col class=\"figure\">");
    for (int option = 0; option < ItemStatistics::kOptions; ++option)
        head += QStringLiteral("<col class=\"option\">");
    head += QStringLiteral("<col class=\"key\"><col class=\"flags\"></colgroup>\n"
                           "<thead><tr><th scope=\"col\">№</th><th scope=\"col\">rowid</th>"
                           "<th scope=\"col\" class=\"text\">Сұрақ</th><th "
                           "scope=\"col\">Түсті</th><th scope=\"col\">F, %</th>"
                           "<th scope=\"col\">SD, %</th><th scope=\"col\">Ажырату, %</th>"
                           "<th scope=\"col\">Тиімділік, %</th><th scope=\"col\">D27, %</th>");
    for (const QString& letter : kLetters)
        head += QStringLiteral("<th scope=\"col\">%1, %</th>").arg(letter);
    head += QStringLiteral(
        "<th scope=\"col\">Дұрыс</th><th scope=\"col\" class=\"text\">Белгілер</th></tr>"
        "</thead>\n");
    return head;
}

} // namespace

QList<Flag> flagsOf(const ItemStatistics::Question& question, const QString& right)
{
    if (question.drawn < kFewestDraws)
        return {Flag::TooFewAttempts};
    QList<Flag> flags;
    const int key = AnswerRows::optionNumber(right);
    const auto& keyed = key > 0 ? question.options[key - 1].meanScore : std::nullopt;
    if (keyed) {
        for (int option = 0; option < ItemStatistics::kOptions; ++option) {
            // One strong student's slip is no sign of a wrong key: two choosers at least.
            const ItemStatistics::OptionUse& wrong = question.options[option];
            if (option + 1 != key && wrong.chosen >= kFewestChoosers && wrong.meanScore &&
                *wrong.meanScore > *keyed) {
                flags << Flag::ProbablyMisKeyed;
                break;
            }
        }
    }
    if (question.discrimination && *question.discrimination < kLeastDiscrimination)
        flags << Flag::DoesNotDiscriminate;
    if (question.facility && *question.facility <= kTooHard)
        flags << Flag::TooHard;
    if (question.facility && *question.facility >= kTooEasy)
        flags << Flag::TooEasy;
    return flags;
}

QString flagText(Flag flag)
{
    switch (flag) {
    case Flag::TooFewAttempts:
        return QStringLiteral("әрекет тым аз");
    case Flag::TooEasy:
        return QStringLiteral("тым оңай");
    case Flag::TooHard:
        return QStringLiteral("тым қиын");
    case Flag::DoesNotDiscriminate:
        return QStringLiteral("ажыратпайды");
    case Flag::ProbablyMisKeyed:
        return QStringLiteral("кілті күмәнді");
    }
    return {};
}

QList<Item> items(const ItemStatistics::Analysis& analysis,
                  const QHash<qint64, AnswerRows::BankEntry>& bank)
{
    QList<Item> list;
    list.reserve(analysis.questions.size());
    for (const ItemStatistics::Question& question : analysis.questions) {
        Item item;
        item.figures = question;
        const auto entry = bank.constFind(question.id);
        item.inBank = entry != bank.cend();
        if (item.inBank) {
            item.text = entry->text;
            item.right = entry->right;
        }
        item.flags = flagsOf(question, item.right);
        list << item;
    }
    return list;
}

QList<Item> worstFirst(QList<Item> items)
{
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        const int worseA = severity(a);
        const int worseB = severity(b);
        if (worseA != worseB)
            return worseA > worseB;
        const auto& discA = a.figures.discrimination;
        const auto& discB = b.figures.discrimination;
        if (discA.has_value() != discB.has_value())
            return discA.has_value();
        if (discA && *discA != *discB)
            return *discA < *discB;
        return a.figures.id < b.figures.id;
    });
    return items;
}

QByteArray csv(const QList<Item>& items)
{
    QString text = QStringLiteral("Сұрақ (rowid),Мәтіні,Түсу саны,Жеңілдігі %,SD %,Ажыратуы %,"
                                  "Тиімділігі %,D27 %,A %,B %,C %,D %,E %,Дұрыс жауап,"
                                  "Белгілер\r\n");
    for (const Item& item : items) {
        const ItemStatistics::Question& q = item.figures;
        QStringList fields = {QString::number(q.id),    Results::csvField(shortened(item)),
                              QString::number(q.drawn), csvNumber(q.facility),
                              csvNumber(q.sd),          csvNumber(q.discrimination),
                              csvNumber(efficiency(q)), csvNumber(q.d27)};
        for (const ItemStatistics::OptionUse& option : q.options)
            fields << csvNumber(share(option.chosen, q.answers));
        fields << Results::csvField(AnswerRows::letter(item.right))
               << Results::csvField(flagList(item.flags));
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString summary(const ItemStatistics::Test& test)
{
    return QStringLiteral("%1 attempts; score mean %2, median %3, SD %4, skewness %5; "
                          "alpha (KR-20) %6, SEM %7")
        .arg(test.attempts)
        .arg(printed(test.mean), printed(test.median), printed(test.sd), printed(test.skewness),
             printed(test.alpha), printed(test.sem));
}

QString htmlStyle()
{
    return QStringLiteral(
        "@page items { size: A4 landscape; margin: 12mm 15mm; }\n"
        "section.items { page: items; break-before: page; }\n"
        "section.items h2 { font-size: 14pt; margin: 0 0 2mm; }\n"
        "table.test { width: auto; margin-bottom: 5mm; }\n"
        "table.test th { text-align: left; font-weight: normal; }\n"
        "dl.legend { margin: 0; columns: 2; column-gap: 10mm; }\n"
        "dl.legend div { break-inside: avoid; }\n"
        "dl.legend dt { font-weight: bold; }\n"
        "dl.legend dd { margin: 0 0 1.5mm; }\n"
        "table.questions { table-layout: fixed; width: 100%; font-size: 7.5pt; "
        "line-height: 1.15; break-before: page; }\n"
        "table.questions th, table.questions td { padding: 0.4mm 0.8mm; "
        "border-bottom-width: 0.2mm; }\n"
        "table.questions thead th { text-align: right; vertical-align: bottom; }\n"
        "table.questions thead th.text { text-align: left; }\n"
        "table.questions td.text, table.questions td.flags { text-align: left; "
        "white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }\n"
        "table.questions td.right { font-weight: bold; }\n"
        "table.questions span.score { color: #555; font-size: 6.5pt; }\n"
        "col.rank { width: 7mm; } col.id { width: 13mm; } col.figure { width: 11mm; }\n"
        "col.wide { width: 15mm; } col.option { width: 13mm; } col.key { width: 10mm; }\n"
        "col.flags { width: 50mm; }\n");
}

QString htmlSection(const ItemStatistics::Analysis& analysis, const QList<Item>& items,
                    const QString& narrowing)
{
    const ItemStatistics::Test& test = analysis.test;
    QString html = QStringLiteral("<section class=\"items\">\n<h2>Сұрақтарды талдау</h2>\n"
                                  "<p class=\"meta\">%1</p>\n")
                       .arg(narrowing.toHtmlEscaped());
    if (test.attempts == 0) {
        html += QStringLiteral("<p>Бұл таңдауда жауаптары сақталған әрекет жоқ.</p>\n"
                               "</section>\n");
        return html;
    }
    const QList<std::pair<QString, QString>> figures = {
        {QStringLiteral("Әрекет саны"), QString::number(test.attempts)},
        {QStringLiteral("Орташа ұпай"), shown(test.mean, 2)},
        {QStringLiteral("Медиана"), shown(test.median, 2)},
        {QStringLiteral("Стандартты ауытқу"), shown(test.sd, 2)},
        {QStringLiteral("Асимметрия"), shown(test.skewness, 2)},
        {QStringLiteral("Кронбах альфасы (KR-20)"), shown(test.alpha, 2)},
        {QStringLiteral("Өлшеудің стандартты қатесі"), shown(test.sem, 2)},
    };
    html += QStringLiteral("<table class=\"test\">\n<tbody>\n");
    for (const auto& [name, value] : figures)
        html += QStringLiteral("<tr><th scope=\"row\">%1</th><td>%2</td></tr>\n").arg(name, value);
    html += QStringLiteral("</tbody>\n</table>\n");
    html += QStringLiteral(
        "<dl class=\"legend\">\n"
        "<div><dt>Түсті</dt><dd>Сұрақ түскен әрекеттер саны; әр көрсеткіш солар бойынша "
        "есептеледі.</dd></div>\n"
        "<div><dt>F — жеңілдік индексі</dt><dd>Сұраққа дұрыс жауап берілген үлес, "
        "пайызбен.</dd></div>\n"
        "<div><dt>SD</dt><dd>Сұрақ баллының стандартты ауытқуы, пайызбен.</dd></div>\n"
        "<div><dt>Ажырату индексі</dt><dd>Сұрақ баллы мен әрекеттің қалған бөлігі баллының "
        "корреляциясы: білімді оқушы дұрыс, әлсізі қате жауап берсе, жоғары.</dd></div>\n"
        "<div><dt>Ажыратудың тиімділігі</dt><dd>Ажыратудың осы жеңілдіктегі сұрақ үшін мүмкін "
        "ең үлкен мәнге қатынасы; сұрақ 10 әрекеттен аз түссе, берілмейді.</dd></div>\n"
        "<div><dt>D27</dt><dd>Ең жоғары ұпай алған 27 % мен ең төмен ұпай алған 27 %-дың "
        "жеңілдік айырмасы.</dd></div>\n"
        "<div><dt>A–E</dt><dd>Әр жауапты таңдағандар үлесі, пайызбен; жанында — оларды "
        "таңдағандардың орташа ұпайы. Дұрыс жауап қою әріппен.</dd></div>\n"
        "<div><dt>Белгілер</dt><dd>«тым оңай» — F ≥ 95 %; «тым қиын» — F ≤ 5 %; «ажыратпайды» — "
        "ажырату 15 %-дан төмен; «кілті күмәнді» — кемінде екі рет таңдалған қате жауапты "
        "таңдағандардың орташа ұпайы дұрыс жауапты таңдағандардікінен жоғары: дұрыс жауап қате "
        "белгіленген болуы мүмкін; "
        "«әрекет тым аз» — сұрақ 10 әрекеттен аз түсті, баға берілмейді.</dd></div>\n"
        "<div><dt>Реті</dt><dd>Ең нашар сұрақтар алдымен. rowid — сұрақтың банктегі жолының "
        "нөмірі; редакторда сұрақты мәтіні бойынша іздеуге болады.</dd></div>\n"
        "</dl>\n");
    const QList<Item> ordered = worstFirst(items);
    for (qsizetype first = 0; first < ordered.size(); first += kQuestionsPerPage) {
        html += QStringLiteral("<table class=\"questions\">\n") + itemTableHead() +
                QStringLiteral("<tbody>\n");
        const qsizetype last = std::min<qsizetype>(first + kQuestionsPerPage, ordered.size());
        for (qsizetype i = first; i < last; ++i)
            html += itemRow(int(i + 1), ordered[i]);
        html += QStringLiteral("</tbody>\n</table>\n");
    }
    html += QStringLiteral("</section>\n");
    return html;
}

QString htmlWithoutAnswers()
{
    return QStringLiteral("<p class=\"note\">Бұл курс тест жауаптарын сақтамайды, сондықтан "
                          "сұрақтарды талдау жоқ: okulyk-admin upgrade жауаптар кестесін "
                          "қосады, содан кейінгі әрекеттер талданады.</p>\n");
}

} // namespace ItemReport
