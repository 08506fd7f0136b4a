#include "CourseSettings.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "Statements.h"
#include "Store.h"
#include "Transaction.h"

namespace CourseSettings {

namespace {

bool onServer()
{
    return Connection::shared().onServer();
}

} // namespace

const QList<Setting>& all()
{
    using Kind = Setting::Kind;
    static const QList<Setting> settings = {
        {kDifferentQuestions, kOff, Kind::OnOff, false},
        {kFailuresPerLogin, QStringLiteral("10"), Kind::Number, true},
        {kFailuresPerComputer, QStringLiteral("20"), Kind::Number, true},
        {kFailuresPerServer, QStringLiteral("200"), Kind::Number, true},
        {kTitle, QString(), Kind::Text, true},
    };
    return settings;
}

const Setting* find(const QString& name)
{
    for (const Setting& setting : all()) {
        if (setting.name == name)
            return &setting;
    }
    return nullptr;
}

QString onOff(const QString& typed)
{
    const QString word = typed.trimmed().toLower();
    for (const QString& on : {QStringLiteral("on"), QStringLiteral("yes"), QStringLiteral("1"),
                              QStringLiteral("true"), QStringLiteral("иә"), QStringLiteral("қосу")})
        if (word == on)
            return kOn;
    for (const QString& off :
         {QStringLiteral("off"), QStringLiteral("no"), QStringLiteral("0"), QStringLiteral("false"),
          QStringLiteral("жоқ"), QStringLiteral("өшіру")})
        if (word == off)
            return kOff;
    return {};
}

DrawRule::Mode drawModeOf(const QString& stored)
{
    return stored.trimmed() == kOn ? DrawRule::Mode::Different : DrawRule::Mode::WithReplacement;
}

bool present()
{
    Query query(QStringLiteral("CourseSettings"));
    query.setStatement(onServer() ? Statements::Server::settingsTablePresent
                                  : Statements::settingsTablePresent);
    query.open();
    return query.rowCount() > 0 && query.text(0, 0).toLongLong() > 0;
}

QString value(const QString& name)
{
    const Setting* setting = find(name);
    const QString fallback = setting ? setting->defaultValue : QString();
    if (!present())
        return fallback;
    Query query(QStringLiteral("CourseSettings"));
    query.setStatement(Statements::settingValue);
    query.bind(QStringLiteral("a"), name);
    query.open();
    return query.rowCount() > 0 ? query.text(0, 0) : fallback;
}

QList<QPair<Setting, QString>> values()
{
    const QList<QPair<QString, QString>> rows = stored();
    QList<QPair<Setting, QString>> list;
    for (const Setting& setting : all()) {
        QString value = setting.defaultValue;
        for (const auto& [name, storedValue] : rows) {
            if (name == setting.name)
                value = storedValue;
        }
        list << qMakePair(setting, value);
    }
    return list;
}

QList<QPair<QString, QString>> stored()
{
    QList<QPair<QString, QString>> rows;
    Transaction transaction(Transaction::Intent::ReadOnly);
    if (!present())
        return rows;
    Query query(QStringLiteral("CourseSettings"));
    query.setStatement(Statements::allSettings);
    query.open();
    for (int row = 0; row < query.rowCount(); ++row)
        rows << qMakePair(query.text(row, 0), query.text(row, 1));
    transaction.commit();
    return rows;
}

void write(const QString& name, const QString& value, bool makeTable)
{
    const Setting* setting = find(name);
    if (!setting)
        throw AppError(QStringLiteral("there is no setting \"%1\"").arg(name));
    QString stored = value.simplified();
    if (setting->kind == Setting::Kind::Text) {
        if (stored.isEmpty() || stored.size() > 200)
            throw AppError(QStringLiteral("%1 is a text of 1 to 200 characters").arg(name));
    } else if (setting->kind == Setting::Kind::Number) {
        bool ok = false;
        const int number = stored.toInt(&ok);
        if (!ok || number < 1 || number > 100000)
            throw AppError(QStringLiteral("%1 is a whole number from 1 to 100000, not \"%2\"")
                               .arg(name, value));
        stored = QString::number(number);
    } else {
        stored = onOff(value);
        if (stored.isEmpty())
            throw AppError(QStringLiteral("%1 is on or off, not \"%2\"").arg(name, value));
    }
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    if (!present()) {
        if (!makeTable || onServer())
            throw AppError(QStringLiteral("%1: the course has no settings table yet (it was made "
                                          "by an earlier version); run okulyk-admin upgrade first")
                               .arg(Connection::shared().location()));
        Connection::shared().store().executeScript(Statements::createSettingsTable);
    }
    Query query(QStringLiteral("CourseSettings"));
    query.setStatement(Statements::writeSetting);
    query.bind(QStringLiteral("a"), name);
    query.bind(QStringLiteral("a1"), stored);
    query.execSql();
    transaction.commit();
}

} // namespace CourseSettings
