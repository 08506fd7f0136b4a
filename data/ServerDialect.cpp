#include "ServerDialect.h"

#include <QRegularExpression>
#include <QSqlError>

namespace ServerDialect {

QString translate(const QString& text)
{
    static const QRegularExpression like(QStringLiteral("\\bLike(\\s+:[A-Za-z_][A-Za-z0-9_]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression binary(QStringLiteral("\\bcollate\\s+binary\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression insert(QStringLiteral("^\\s*insert\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression returning(QStringLiteral("\\breturning\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString result = text;
    result.replace(like, QStringLiteral("ILIKE\\1 ESCAPE ''"));
    result.replace(binary, QStringLiteral("collate \"C\""));
    if (insert.match(result).hasMatch() && !returning.match(result).hasMatch() &&
        !result.contains(QLatin1String("on conflict"), Qt::CaseInsensitive))
        result += QStringLiteral("\nreturning rowid");
    return result;
}

QString errorText(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    // libpq writes "SEVERITY:  message", then DETAIL, HINT, CONTEXT or LINE lines, and Qt adds
    // the SQLSTATE in brackets; the statement it quotes may hold the values bound to it.
    text = text.section(QLatin1Char('\n'), 0, 0);
    static const QRegularExpression severity(QStringLiteral("^[^:\\s]+:  "));
    text.remove(severity);
    return text;
}

bool isConnectionLost(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    // Class 08 is a connection exception; 57P01..57P03 a server shutting down or starting.
    return code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
           code == QLatin1String("57P02") || code == QLatin1String("57P03") ||
           error.type() == QSqlError::ConnectionError;
}

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace ServerDialect
