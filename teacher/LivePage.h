#pragma once

#include "CourseLocation.h"
#include "LabWatch.h"

#include <QDateTime>
#include <QWidget>

class QLabel;
class QStackedWidget;
class QTableWidget;
class QTimeEdit;
class QTimer;
class QTreeWidget;

// The lab during a lesson, live, on the teacher's computer: every student signed in now (on
// which computer, since when), whose test is open and since when, each result as it arrives, by
// group, with the counts at the top, and failed sign-ins per lab computer. The server announces
// each sign-in, attempt and result, and the page reads the lab again within a moment; it also
// looks every 15 seconds, for a computer whose program was closed announces nothing. Works on a
// lab server's course as the teacher's role; elsewhere it says why not.
class LivePage : public QWidget {
    Q_OBJECT
public:
    explicit LivePage(QWidget* parent = nullptr);

    // The course the teacher's tools have open; the page watches it while it is shown.
    void setCourse(const CourseLocation& course);

    // The counts line and the state line as shown.
    QString counts() const;
    QString state() const;
    const LabWatch::Lesson& lesson() const { return m_lesson; }
    // The start of the lesson: what came before it is not shown.
    QDateTime since() const;

    // Reads the lab again now.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void start();
    void explain(const QString& why);
    void showLesson();

    CourseLocation m_course;
    LabWatch m_watch;
    LabWatch::Lesson m_lesson;
    QTimer* m_soon = nullptr;
    QTimer* m_regularly = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_why = nullptr;
    QLabel* m_counts = nullptr;
    QLabel* m_state = nullptr;
    QTimeEdit* m_since = nullptr;
    QTreeWidget* m_students = nullptr;
    QTableWidget* m_failures = nullptr;
};
