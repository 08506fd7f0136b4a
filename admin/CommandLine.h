#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The arguments of one command: positional ones in order, and options given as "--name value",
// "--name=value" or, for flags, "--name". Everything after "--" is positional.
class CommandLine {
public:
    // valued: the options that take a value; flags: those that do not. Anything else starting
    // with "--" is an error (error() says which).
    CommandLine(const QStringList& arguments, const QSet<QString>& valued,
                const QSet<QString>& flags);

    QString error() const { return m_error; }
    const QStringList& positional() const { return m_positional; }
    bool has(const QString& option) const { return m_values.contains(option); }
    QString value(const QString& option) const { return m_values.value(option); }

private:
    QStringList m_positional;
    QMap<QString, QString> m_values;
    QString m_error;
};
