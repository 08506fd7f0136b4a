#pragma once

#include "CourseLocation.h"
#include "JobRunner.h"

#include <QMainWindow>
#include <functional>

class ImportPage;
class LivePage;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;

// The teacher's tools in a window: a course opened (a db.mdb or the lab server), then questions
// imported with a preview, the bank and the results exported, the report and the item
// statistics written and opened, paper variants printed, an Access database brought over and a
// server course copied. Long work runs off the interface thread with a progress bar and Cancel.
class TeacherWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TeacherWindow(QWidget* parent = nullptr);

    void openCourse(const CourseLocation& course);
    bool hasCourse() const { return m_course.kind != CourseLocation::Kind::None; }
    ImportPage* importPage() const { return m_importPage; }
    JobRunner& runner() { return m_runner; }

    // Runs work with the progress bar and Cancel; done receives its status on the interface
    // thread. Refused (with a message) while other work runs.
    void runJob(const QString& what, const JobRunner::Job& job,
                std::function<void(int status)> done = {});
    // An okulyk-admin command on the open course.
    void runCommand(const QString& what, QStringList arguments,
                    std::function<void(int status)> done = {});

    // How a written file is opened (the browser, a spreadsheet); tests put their own.
    static void setOpener(std::function<void(const QString& path)> opener);

signals:
    // The work that runJob() started has ended and its callback has run.
    void workFinished(int status);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildCourseBar();
    QWidget* buildExportPage();
    QWidget* buildAnalysisPage();
    QWidget* buildPaperPage();
    QWidget* buildCoursePage();
    QWidget* buildWorkBar();
    void chooseCourseFile();
    void finish(int status);
    // Whether a course is open; tells the user to open one when not.
    bool courseIsOpen();
    // A file to write, asked for; empty when the user cancels.
    QString fileToWrite(const QString& filter, const QString& suggested);
    QStringList narrowing() const;
    void writeAndOpen(const QString& what, const QString& filter, const QString& suggested,
                      const QStringList& command);
    void updateCourseActions();
    void readSettings();

    JobRunner m_runner;
    CourseLocation m_course;
    std::function<void(int)> m_done;
    QString m_what;
    QStringList m_messages;
    QStringList m_output;
    bool m_settingsRead = false;

    QLabel* m_courseLabel = nullptr;
    QLineEdit* m_service = nullptr;
    QTabWidget* m_tabs = nullptr;
    ImportPage* m_importPage = nullptr;
    QComboBox* m_exportFormat = nullptr;
    QCheckBox* m_everyAnswer = nullptr;
    QLineEdit* m_group = nullptr;
    QCheckBox* m_sinceOn = nullptr;
    QDateEdit* m_since = nullptr;
    QSpinBox* m_variants = nullptr;
    QLineEdit* m_seed = nullptr;
    QWidget* m_coursePage = nullptr;
    QCheckBox* m_differentQuestions = nullptr;
    LivePage* m_livePage = nullptr;
    QPushButton* m_copyToFile = nullptr;
    QPushButton* m_copyFromFile = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
};
