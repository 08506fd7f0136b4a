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

Change run()
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    const bool server = connection.address().isServer();
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    const auto yes = [](const QStringList& values) {
        return values.value(0) == QLatin1String("1") || values.value(0) == QLatin1String("true");
    };
    const bool table = yes(
        column(server ? Statements::Server::answersTablePresent : Statements::answersTablePresent));
    // A table made by an earlier build lacks the time of each answer: every submit would fail
    // on it, so the upgrade adds the column.
    const bool time = table && yes(column(server ? Statements::Server::answersTimePresent
                                                 : Statements::answersTimePresent));
    if (table && time)
        return Change::None;
    if (server)
        connection.store().executeScript(ServerSetup::answersScript(serverRoles()));
    else
        connection.store().executeScript(table ? Statements::addAnswersTime
                                               : Statements::createAnswersTable);
    transaction.commit();
    return table ? Change::TimeAdded : Change::TableAdded;
}

} // namespace CourseUpgrade
