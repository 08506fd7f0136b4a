#include "CommandLine.h"

CommandLine::CommandLine(const QStringList& arguments, const QSet<QString>& valued,
                         const QSet<QString>& flags)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--")) || argument.size() == 2) {
            if (argument == QLatin1String("--") && !optionsEnded)
                optionsEnded = true;
            else
                m_positional << argument;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (flags.contains(name)) {
            if (equals >= 0) {
                m_error = QStringLiteral("--%1 takes no value").arg(name);
                return;
            }
            m_values.insert(name, QString());
        } else if (valued.contains(name)) {
            if (equals >= 0) {
                m_values.insert(name, argument.mid(equals + 1));
            } else if (i + 1 < arguments.size()) {
                m_values.insert(name, arguments[++i]);
            } else {
                m_error = QStringLiteral("--%1 needs a value").arg(name);
                return;
            }
        } else {
            m_error = QStringLiteral("unknown option --%1").arg(name);
            return;
        }
    }
}
