#include "LabWatch.h"

#include "AppError.h"
#include "Cursor.h"
#include "ServerStore.h"
#include "Statements.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

const QString kConnection = QStringLiteral("LabWatch");

QDateTime timeOf(const QVariant& value)
{
    return value.isNull() ? QDateTime() : value.toDateTime().toLocalTime();
}

} // namespace

LabWatch::LabWatch(QObject* parent) : QObject(parent) {}

LabWatch::~LabWatch() = default;

void LabWatch::watch(const QString& service)
{
    stop();
    auto store = std::make_unique<ServerStore>(StoreAddress::server(service), kConnection);
    store->open();
    if (!store->allowsAdministration())
        throw AppError(QStringLiteral("Сынып компьютерлерін тек мұғалімнің компьютерінен көруге "
                                      "болады: «%1» қызметі серверге сынып компьютерінің рөлімен "
                                      "қосылады")
                           .arg(service));
    m_store = std::move(store);
    listen();
}

void LabWatch::stop()
{
    if (m_store && m_store->isOpen())
        m_store->database().driver()->unsubscribeFromNotification(Statements::Server::labChannel);
    m_store.reset();
}

// A connection made again has forgotten what it listened to.
void LabWatch::listen()
{
    QSqlDriver* driver = m_store->database().driver();
    if (driver->subscribedToNotifications().contains(Statements::Server::labChannel))
        return;
    if (!driver->subscribeToNotification(Statements::Server::labChannel))
        throw AppError(QStringLiteral("The server's announcements cannot be listened to: %1")
                           .arg(driver->lastError().text()));
    connect(driver, &QSqlDriver::notification, this, &LabWatch::changed, Qt::UniqueConnection);
}

LabWatch::Lesson LabWatch::read(const QDateTime& since)
{
    if (!m_store)
        throw AppError(QStringLiteral("No lab is watched"));
    if (!m_store->isOpen())
        m_store->open();
    const QString from = since.toUTC().toString(Qt::ISODate);
    Lesson lesson;
    auto students = m_store->select(Statements::Server::labLesson.join(QLatin1Char('\n')),
                                    {QStringLiteral("a")}, {from});
    while (students->next()) {
        Student student;
        student.login = students->text(0);
        student.group = students->text(1);
        student.computer = students->text(2);
        student.signedIn = timeOf(students->value(3));
        student.workingSince = timeOf(students->value(4));
        student.results = students->value(5).toInt();
        if (!students->value(6).isNull())
            student.score = students->value(6).toInt();
        student.storedAt = timeOf(students->value(7));
        lesson.signedIn += student.signedIn.isValid();
        lesson.working += student.workingSince.isValid();
        lesson.submitted += student.results > 0;
        lesson.students << student;
    }
    students.reset();
    auto computers = m_store->select(Statements::Server::labFailures.join(QLatin1Char('\n')),
                                     {QStringLiteral("a")}, {from});
    while (computers->next()) {
        const Computer computer{computers->text(0), computers->value(1).toInt(),
                                timeOf(computers->value(2))};
        lesson.failed += computer.failures;
        lesson.failures << computer;
    }
    computers.reset();
    listen();
    return lesson;
}
