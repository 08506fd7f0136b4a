#pragma once

#include "DrawRule.h"

#include <QList>
#include <QPair>
#include <QString>

// The course's own settings, kept in the course (the table Настройки, a row each) so that every
// computer that works on it follows them. A setting without a row has its default. Works on
// the shared connection; throws AppError.
namespace CourseSettings {

struct Setting {
    enum class Kind { OnOff, Number, Text };
    QString name;
    QString defaultValue;
    Kind kind = Kind::OnOff;
    // Whether only the lab server uses it.
    bool serverOnly = false;
};

// "30 different questions": an attempt's questions are drawn without replacement.
inline const QString kDifferentQuestions = QStringLiteral("different_questions");
// Failed sign-ins a minute, past which the lab server refuses: per login, per lab computer and
// for the whole server.
inline const QString kFailuresPerLogin = QStringLiteral("signin_failures_per_login");
inline const QString kFailuresPerComputer = QStringLiteral("signin_failures_per_computer");
inline const QString kFailuresPerServer = QStringLiteral("signin_failures_per_server");
// The course's title, as the lab computers' menu names it.
inline const QString kTitle = QStringLiteral("title");

const QList<Setting>& all();
const Setting* find(const QString& name);

// How an on/off setting is stored.
inline const QString kOn = QStringLiteral("1");
inline const QString kOff = QStringLiteral("0");
// An on/off value as a teacher types it (on/off, yes/no, 1/0, иә/жоқ), or empty when it is none.
QString onOff(const QString& typed);
// Whether a stored value of the different-questions setting means "on".
DrawRule::Mode drawModeOf(const QString& stored);

// Whether the course has the table (a course made by an earlier version has none until
// okulyk-admin upgrade).
bool present();
// Every setting's value as stored, or its default.
QList<QPair<Setting, QString>> values();
// The rows the course holds (name, value), none where it has no table.
QList<QPair<QString, QString>> stored();
QString value(const QString& name);
// Stores a setting's value (checked against its kind). Throws when the course has no table,
// unless it is asked to make it (a course just copied into a new file).
void write(const QString& name, const QString& value, bool makeTable = false);

} // namespace CourseSettings
