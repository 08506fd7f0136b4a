#include "Results.h"

#include "Connection.h"
#include "Cursor.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

#include <QLocale>
#include <QMap>
#include <algorithm>

namespace Results {

namespace {

QString warningFor(const Row& row)
{
    return QStringLiteral("result %1 (%2): the score \"%3\" is not a whole number 0 to %4")
        .arg(QString::number(row.position), row.login, row.stored,
             QString::number(kQuestionsPerTest));
}

QString groupLabel(const Row& row)
{
    if (!row.known)
        return QStringLiteral("(тіркелмеген пайдаланушылар)");
    if (row.group.trimmed().isEmpty())
        return QStringLiteral("(тобы көрсетілмеген)");
    return row.group;
}

QString number(double value)
{
    return QLocale(QLocale::Kazakh, QLocale::Kazakhstan).toString(value, 'f', 1);
}

// 31 bars, one for each score 0..30, scaled to the most frequent score.
QString histogram(const QList<int>& scores, const QString& label)
{
    QList<int> counts(kQuestionsPerTest + 1, 0);
    for (const int score : scores)
        ++counts[score];
    const int highest = std::max(1, *std::max_element(counts.cbegin(), counts.cend()));
    constexpr int kBar = 10;
    constexpr int kHeight = 48;
    // A margin around the bars, so that the last axis label is not cut off.
    QString svg = QStringLiteral("<svg class=\"histogram\" viewBox=\"-8 -2 %1 64\" role=\"img\" "
                                 "aria-label=\"%2\" xmlns=\"http://www.w3.org/2000/svg\">")
                      .arg(counts.size() * kBar + 16)
                      .arg(label.toHtmlEscaped());
    svg += QStringLiteral("<line x1=\"0\" y1=\"%1\" x2=\"%2\" y2=\"%1\" class=\"axis\"/>")
               .arg(kHeight + 0.5)
               .arg(counts.size() * kBar);
    for (int score = 0; score < counts.size(); ++score) {
        if (counts[score] == 0)
            continue;
        const double height = double(kHeight) * counts[score] / highest;
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"><title>%5: "
                              "%6</title></rect>")
                   .arg(score * kBar + 1)
                   .arg(kHeight - height, 0, 'f', 2)
                   .arg(kBar - 2)
                   .arg(height, 0, 'f', 2)
                   .arg(score)
                   .arg(counts[score]);
    }
    for (int tick = 0; tick <= kQuestionsPerTest; tick += 10)
        svg += QStringLiteral("<text x=\"%1\" y=\"60\">%2</text>")
                   .arg(tick * kBar + kBar / 2)
                   .arg(tick);
    return svg + QStringLiteral("</svg>");
}

struct Group {
    QString name;
    QList<int> scores;
};

QString groupRow(const Group& group, bool total)
{
    double sum = 0;
    for (const int score : group.scores)
        sum += score;
    const bool any = !group.scores.isEmpty();
    const QString mean = any ? number(sum / group.scores.size()) : QStringLiteral("—");
    const QString middle = any ? number(median(group.scores)) : QStringLiteral("—");
    const QString label = QStringLiteral("%1: ұпай таралуы").arg(group.name);
    return QStringLiteral("<tr%1><th scope=\"row\">%2</th><td>%3</td><td>%4</td><td>%5</td>"
                          "<td>%6</td></tr>\n")
        .arg(total ? QStringLiteral(" class=\"total\"") : QString(), group.name.toHtmlEscaped(),
             QString::number(group.scores.size()), mean, middle, histogram(group.scores, label));
}

} // namespace

QString csvField(QString text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && kFormulaStarts.contains(text[0]))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(',')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QList<Row> read(const std::optional<QString>& login, const std::function<void(qint64)>& progress)
{
    return readTable(login, progress).rows;
}

Table readTable(const std::optional<QString>& login, const std::function<void(qint64)>& progress)
{
    Transaction transaction;
    RowOrder::require(QStringLiteral("Тесты"));
    Query timed(QStringLiteral("resultsTimePresent"));
    timed.setStatement(Connection::shared().onServer() ? Statements::Server::resultsTimePresent
                                                       : Statements::resultsTimePresent);
    timed.open();
    Table table;
    table.timed = timed.text(0, 0).toLongLong() > 0;
    Query results(QStringLiteral("results"));
    results.setStatement(Statements::resultsWithGroups(login.has_value(), table.timed));
    if (login)
        results.bind(QStringLiteral("a"), *login);
    QList<Row>& rows = table.rows;
    results.scan([&](const Cursor& cursor) {
        Row row;
        row.position = static_cast<int>(rows.size()) + 1;
        row.login = storedText(cursor.value(0));
        row.known = !cursor.value(1).isNull();
        row.group = storedText(cursor.value(1));
        row.stored = storedText(cursor.value(2));
        bool ok = false;
        const int score = row.stored.toInt(&ok);
        if (ok && score >= 0 && score <= kQuestionsPerTest)
            row.score = score;
        if (table.timed && !cursor.value(3).isNull())
            row.storedAt = QDateTime::fromSecsSinceEpoch(cursor.value(3).toLongLong());
        rows << row;
        if (progress)
            progress(rows.size());
    });
    return table;
}

QByteArray csv(const QList<Row>& rows, QStringList& warnings, bool timed)
{
    QString text = QStringLiteral("Логин,Топ,Дұрыс жауап,Сұрақ саны,Пайыз%1\r\n")
                       .arg(timed ? QStringLiteral(",Уақыты") : QString());
    for (const Row& row : rows) {
        QString percent;
        if (row.score)
            percent =
                QString::number((*row.score * 200 + kQuestionsPerTest) / (2 * kQuestionsPerTest));
        else
            warnings << warningFor(row);
        QStringList fields = {csvField(row.login), csvField(row.group), csvField(row.stored),
                              QString::number(kQuestionsPerTest), percent};
        if (timed)
            fields << row.storedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

double median(QList<int> scores)
{
    if (scores.isEmpty())
        return 0;
    std::sort(scores.begin(), scores.end());
    const qsizetype middle = scores.size() / 2;
    if (scores.size() % 2 == 1)
        return scores[middle];
    return (scores[middle - 1] + scores[middle]) / 2.0;
}

QString report(const QList<Row>& rows, const QString& source, const QDateTime& when,
               QStringList& warnings, const QString& appendix, const QString& appendixStyle)
{
    QMap<QString, Group> groups;
    Group total{QStringLiteral("Барлығы"), {}};
    int left = 0;
    for (const Row& row : rows) {
        if (!row.score) {
            warnings << warningFor(row);
            ++left;
            continue;
        }
        const QString name = groupLabel(row);
        Group& group = groups[name];
        group.name = name;
        group.scores << *row.score;
        total.scores << *row.score;
    }

    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"kk\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>Тест нәтижелері</title>\n<style>\n"
            "@page { size: A4; margin: 15mm; }\n"
            "body { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 10pt; "
            "color: #000; margin: 0; }\n"
            "div.results { margin: 0 auto; max-width: 180mm; }\n"
            "h1 { font-size: 16pt; margin: 0 0 2mm; }\n"
            "p.meta { margin: 0 0 5mm; color: #333; }\n"
            "table { border-collapse: collapse; width: 100%; }\n"
            "th, td { border-bottom: 0.3mm solid #999; padding: 1.5mm 2mm; text-align: right; "
            "vertical-align: middle; }\n"
            "th[scope=row], thead th:first-child { text-align: left; }\n"
            "thead th { border-bottom: 0.5mm solid #000; }\n"
            "tr { page-break-inside: avoid; }\n"
            "tr.total th, tr.total td { font-weight: bold; border-top: 0.5mm solid #000; }\n"
            "svg.histogram { width: 62mm; height: 12mm; display: block; margin-left: auto; }\n"
            "svg.histogram rect { fill: #2b5d8a; }\n"
            "svg.histogram .axis { stroke: #000; stroke-width: 1; }\n"
            "svg.histogram text { font-size: 9px; text-anchor: middle; fill: #000; }\n"
            "p.note { margin-top: 4mm; }\n") +
        appendixStyle +
        QStringLiteral("</style>\n</head>\n<body>\n<div class=\"results\">\n"
                       "<h1>Тест нәтижелері</h1>\n");
    html += QStringLiteral("<p class=\"meta\">Дерекқор: %1 · %2 · %3 сұрақтан</p>\n")
                .arg(source.toHtmlEscaped(), when.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                     QString::number(kQuestionsPerTest));
    html += QStringLiteral("<table>\n<thead><tr><th scope=\"col\">Топ</th><th scope=\"col\">"
                           "Әрекет саны</th><th scope=\"col\">Орташа ұпай</th><th scope=\"col\">"
                           "Медиана</th><th scope=\"col\">Ұпай таралуы (0–%1)</th></tr></thead>\n"
                           "<tbody>\n")
                .arg(kQuestionsPerTest);
    for (const Group& group : groups)
        html += groupRow(group, false);
    html += groupRow(total, true);
    html += QStringLiteral("</tbody>\n</table>\n");
    if (left > 0)
        html += QStringLiteral("<p class=\"note\">Ұпайы 0–%1 аралығындағы бүтін сан емес %2 "
                               "нәтиже есепке алынбады.</p>\n")
                    .arg(kQuestionsPerTest)
                    .arg(left);
    html += QStringLiteral("</div>\n") + appendix + QStringLiteral("</body>\n</html>\n");
    return html;
}

} // namespace Results
