#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class ServerStore;

// The computer lab as the teacher's computer sees it during a lesson: who is signed in on which
// lab computer and since when, whose attempt is open, each result as it is stored, and failed
// sign-ins per computer. It has a connection of its own to the course's server, as the
// teacher's role (a lab computer's role may not watch), and listens for what the server
// announces at every sign-in, attempt and result, so that a view reads the lab again at once
// instead of asking every few seconds.
class LabWatch : public QObject {
    Q_OBJECT
public:
    struct Student {
        QString login;
        QString group;
        QString computer;         // empty when not signed in now
        QDateTime signedIn;       // invalid when not signed in now
        QDateTime workingSince;   // the open attempt's start, invalid when none is open
        int results = 0;          // results stored since the lesson began
        std::optional<int> score; // the last of them
        QDateTime storedAt;
    };
    struct Computer {
        QString name;
        int failures = 0;
        QDateTime last;
    };
    struct Lesson {
        QList<Student> students;  // by group, then login
        QList<Computer> failures; // most first
        int signedIn = 0;
        int working = 0;
        int submitted = 0;
        int failed = 0;
    };

    explicit LabWatch(QObject* parent = nullptr);
    ~LabWatch() override;

    // Watches the course of this libpq service. Throws AppError: the server cannot be reached,
    // or the service reaches it as a lab computer.
    void watch(const QString& service);
    void stop();
    bool isWatching() const { return m_store != nullptr; }

    // The lesson since that moment. Throws AppError; a lost connection is made again by the
    // next read.
    Lesson read(const QDateTime& since);

signals:
    // The server announced a sign-in, an attempt dealt or a result.
    void changed();

private:
    void listen();

    std::unique_ptr<ServerStore> m_store;
};
