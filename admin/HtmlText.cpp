#include "HtmlText.h"

#include <QHash>
#include <QRegularExpression>

namespace HtmlText {

namespace {

// The entities a question's HTML uses; any other is written by number.
const QHash<QString, QChar>& namedEntities()
{
    static const QHash<QString, QChar> entities = {
        {QStringLiteral("amp"), u'&'},    {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},     {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''},  {QStringLiteral("nbsp"), QChar(0x00A0)},
        {QStringLiteral("laquo"), u'«'},  {QStringLiteral("raquo"), u'»'},
        {QStringLiteral("ndash"), u'–'},  {QStringLiteral("mdash"), u'—'},
        {QStringLiteral("hellip"), u'…'}, {QStringLiteral("times"), u'×'},
        {QStringLiteral("divide"), u'÷'}, {QStringLiteral("deg"), u'°'},
        {QStringLiteral("le"), u'≤'},     {QStringLiteral("ge"), u'≥'},
        {QStringLiteral("ne"), u'≠'},     {QStringLiteral("minus"), u'−'},
        {QStringLiteral("copy"), u'©'},   {QStringLiteral("middot"), u'·'},
        {QStringLiteral("lsquo"), u'‘'},  {QStringLiteral("rsquo"), u'’'},
        {QStringLiteral("ldquo"), u'“'},  {QStringLiteral("rdquo"), u'”'},
        {QStringLiteral("bdquo"), u'„'},  {QStringLiteral("sup2"), u'²'},
        {QStringLiteral("sup3"), u'³'},   {QStringLiteral("frac12"), u'½'},
    };
    return entities;
}

// Decodes the entities of a text between tags; an unknown one stays as written.
QString decoded(QStringView text)
{
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z][a-zA-Z0-9]{1,10});"));
    QString out;
    qsizetype done = 0;
    auto it = entity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        out += text.mid(done, match.capturedStart() - done);
        const QString name = match.captured(1);
        QString replacement = match.captured(0);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.at(1).toLower() == u'x' ? name.mid(2).toUInt(&ok, 16)
                                                           : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF))
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (const auto found = namedEntities().constFind(name);
                   found != namedEntities().constEnd()) {
            replacement = *found;
        }
        out += replacement;
        done = match.capturedEnd();
    }
    out += text.mid(done);
    return out;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

} // namespace

QString toPlain(const QString& html)
{
    static const QRegularExpression tag(
        QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>|<!--.*?-->"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression dropped(QStringLiteral("<(script|style)\\b[^>]*>.*?</\\1\\s*>"),
                                            QRegularExpression::DotMatchesEverythingOption |
                                                QRegularExpression::CaseInsensitiveOption);
    static const QStringList kBreaks = {
        QStringLiteral("p"),     QStringLiteral("div"),        QStringLiteral("li"),
        QStringLiteral("tr"),    QStringLiteral("h1"),         QStringLiteral("h2"),
        QStringLiteral("h3"),    QStringLiteral("h4"),         QStringLiteral("h5"),
        QStringLiteral("h6"),    QStringLiteral("ul"),         QStringLiteral("ol"),
        QStringLiteral("table"), QStringLiteral("blockquote"), QStringLiteral("pre")};

    QString source = html;
    source.remove(dropped);
    // Text runs, each with blanks folded, and the line breaks that tags stand for.
    QString out;
    bool pendingSpace = false;
    const auto addText = [&](QStringView text) {
        for (const QChar c : decoded(text)) {
            if (isBlank(c)) {
                pendingSpace = !out.isEmpty() && !out.endsWith(u'\n');
                continue;
            }
            if (pendingSpace)
                out += u' ';
            pendingSpace = false;
            out += c == QChar(0x00A0) ? u' ' : c;
        }
    };
    const auto addBreak = [&] {
        pendingSpace = false;
        if (!out.isEmpty() && !out.endsWith(u'\n'))
            out += u'\n';
    };
    qsizetype done = 0;
    auto it = tag.globalMatch(source);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        addText(QStringView(source).mid(done, match.capturedStart() - done));
        done = match.capturedEnd();
        const QString name = match.captured(2).toLower();
        if (name == QLatin1String("br")) {
            pendingSpace = false;
            out += u'\n';
        } else if (kBreaks.contains(name)) {
            addBreak();
        } else if (name == QLatin1String("td") || name == QLatin1String("th")) {
            if (match.captured(1).isEmpty())
                pendingSpace = !out.isEmpty() && !out.endsWith(u'\n');
        }
    }
    addText(QStringView(source).mid(done));
    while (out.endsWith(u'\n') || out.endsWith(u' '))
        out.chop(1);
    return out;
}

} // namespace HtmlText
