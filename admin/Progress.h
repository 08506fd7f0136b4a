#pragma once

#include <QElapsedTimer>
#include <QString>

class Console;

// Thrown by a step of long work that the user cancelled; the work's transaction rolls back.
struct Cancelled {};

// A progress line on standard error for work that takes longer than a second: nothing for the
// first second, then "label: done of total" a few times a second (rewritten in place on a
// terminal, one line a second elsewhere), ending with a line break once the work is done.
class Progress {
public:
    Progress(Console& console, QString label, qint64 total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Throws Cancelled when the console's user asked to stop.
    void step(qint64 done);
    // Ends the line; later steps print nothing.
    void finish();

    // How long work runs before the line appears (tests make it 0).
    static void setDelayMs(int ms);

private:
    void print(qint64 done);

    Console& m_console;
    QString m_label;
    qint64 m_total;
    qint64 m_done = 0;
    QElapsedTimer m_timer;
    qint64 m_lastPrint = -1;
    bool m_finished = false;
};
