#include "CourseUpgrade.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "ServerSetup.h"
#include "Statements.h"
#include "Store.h"
#include "Transaction.h"

namespace CourseUpgrade {

namespace {

QStringList column(const QStringList& statement)
{
    Query query(QStringLiteral("CourseUpgrade"));
    query.setStatement(statement);
    query.open();
    QStringList values;
    for (int row = 0; row < query.rowCount(); ++row)
        values << query.text(row, 0);
    return values;
}

// The course's two roles, by their rights: the teacher's may change the bank, the lab's may
// sign in and change nothing. Neither is the tables' owner or a superuser.
ServerSetup::RoleNames serverRoles()
{
    const QStringList teachers = column(Statements::Server::teacherRoles);
    const QStringList labs = column(Statements::Server::labRoles);
    if (teachers.size() != 1 || labs.size() != 1)
        throw AppError(QStringLiteral("%1: the course's roles cannot be told apart (teacher's: "
                                      "%2; lab: %3); nothing was changed")
                           .arg(Connection::shared().location(),
                                teachers.join(QStringLiteral(", ")),
                                labs.join(QStringLiteral(", "))));
    return {teachers.constFirst(), labs.constFirst()};
}

} // namespace

QStringList run()
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    const bool server = connection.onServer();
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    const auto yes = [](const QStringList& statement) {
        const QString value = column(statement).value(0);
        return value == QLatin1String("1") || value == QLatin1String("true");
    };
    const bool answers =
        yes(server ? Statements::Server::answersTablePresent : Statements::answersTablePresent);
    // A table made by an earlier build lacks the time of each answer: every submit would fail
    // on it, so the upgrade adds the column.
    const bool answersTime = answers && yes(server ? Statements::Server::answersTimePresent
                                                   : Statements::answersTimePresent);
    const bool resultsTime =
        yes(server ? Statements::Server::resultsTimePresent : Statements::resultsTimePresent);
    const bool settings =
        yes(server ? Statements::Server::settingsTablePresent : Statements::settingsTablePresent);
    const bool lab = !server || yes(Statements::Server::labFunctionsCurrent);

    QStringList changes;
    if (!answers)
        changes << QStringLiteral("the table Ответы is added; every answer of an attempt is kept "
                                  "from now on");
    else if (!answersTime)
        changes << QStringLiteral("the table Ответы gets the time of each answer; answers kept "
                                  "before it have none");
    if (!resultsTime)
        changes << QStringLiteral("the table Тесты gets the time of each result; results stored "
                                  "before it have none");
    if (!settings)
        changes << QStringLiteral("the table Настройки is added for the course's settings "
                                  "(okulyk-admin settings)");
    if (!lab)
        changes << QStringLiteral("the lab server's functions are renewed: the server deals "
                                  "each attempt itself and limits failed sign-ins per computer");
    if (changes.isEmpty())
        return {};
    Store& store = connection.store();
    // The tables and functions are the owner's: the teacher's role cannot change them.
    if (server && !yes(Statements::Server::ownsCourse))
        throw AppError(QStringLiteral("%1: the course lacks what this version needs (%2), and only "
                                      "the database's owner may add it: on the server, run "
                                      "okulyk-admin upgrade as postgres, with a service file "
                                      "naming the course's database; nothing was changed")
                           .arg(connection.location(), changes.join(QStringLiteral("; "))));
    if (server) {
        // Every statement of the script may run again: it adds only what is missing.
        store.executeScript(ServerSetup::upgradeScript(serverRoles()));
    } else {
        if (!answers)
            store.executeScript(Statements::createAnswersTable);
        else if (!answersTime)
            store.executeScript(Statements::addAnswersTime);
        if (!resultsTime)
            store.executeScript(Statements::addResultsTime);
        if (!settings)
            store.executeScript(Statements::createSettingsTable);
    }
    transaction.commit();
    return changes;
}

} // namespace CourseUpgrade
