// A child process of the crash and sharing tests. It runs the program's own write paths on the
// db.mdb of a folder, through the real windows offscreen with scripted dialogs, and prints a line
// as soon as the program has reported each change done, so that a parent that kills it at any
// moment knows what the database must keep:
//
//   write_driver crash SCENARIO FOLDER FIRST   changes FIRST, FIRST + 1, ... until killed
//   write_driver share FOLDER TAG COUNT        COUNT results, reading and editing in between
//   write_driver gated FOLDER BUSY_MS WHAT N   the whole program started, and once a line
//                                              arrives on input N results (WHAT "result") or
//                                              removals of the users "gone-0".."gone-N-1"
//                                              (WHAT "remove-user"), going on after each
//                                              error box
//
// Lines: "ready" once the windows are built; "ack N" (with the score for a result) after change
// N; "error N TEXT" for each error box (the crash mode then stops with status 3); "done N" with
// the number of results stored.

#include "Connection.h"
#include "Dialogs.h"
#include "Guard.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialsWindow.h"
#include "QuestionEditorWindow.h"
#include "RecordCursor.h"
#include "RecordNavigator.h"
#include "ResultsModel.h"
#include "TestWindow.h"
#include "UsersWindow.h"
#include "WindowRegistry.h"
#include "WriteScenarios.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <array>
#include <cstdio>
#include <memory>

using namespace WriteScenarios;

namespace {

constexpr int kCrashStopped = 3;

void say(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// Thrown when a window did not do what was asked although it showed no error.
struct NotDone {
    QString what;
};

void click(QWidget* form, const char* name)
{
    auto* button = form->findChild<QAbstractButton*>(QLatin1String(name));
    if (!button || !button->isEnabled())
        throw NotDone{QStringLiteral("the button %1 cannot be pressed").arg(QLatin1String(name))};
    button->click();
}

QLineEdit* field(QWidget* form, const char* name)
{
    return form->findChild<QLineEdit*>(QLatin1String(name));
}

// The error boxes shown since the script was last read.
QStringList newErrors(DialogScript& script)
{
    const QStringList errors = script.texts(Dialogs::Kind::Error);
    script.clear();
    return errors;
}

// The test-taking window: an attempt answered by its letter buttons and handed in.
class TestTaking {
public:
    TestTaking() : m_form([this] { return m_login; }) {}

    // Answers the first questions (the others count as "A") and hands the attempt in.
    int submit(const QString& login, int seed, int answered = TForm2::kQuestions)
    {
        m_login = login;
        m_form.FormCreate();
        for (int q = 1; q <= answered; ++q) {
            m_form.questionButton(q)->click();
            m_form.answerButton(1 + (q + seed) % TForm2::kAnswers)->click();
        }
        click(&m_form, "sSpeedButton3");
        return m_form.score();
    }

private:
    QString m_login;
    TForm2 m_form;
};

// User administration: adding and removing users, the administrator's password.
class UserAdministration {
public:
    void add(const User& user)
    {
        click(&m_form, "sSpeedButton1");
        field(&m_form, "loginField")->setText(user.login);
        field(&m_form, "passwordField")->setText(user.password);
        field(&m_form, "groupField")->setText(user.group);
        click(&m_form, "sBitBtn1");
        requireCleared("loginField", "the user was not added");
    }

    void remove(const User& user)
    {
        click(&m_form, "sSpeedButton2");
        field(&m_form, "loginField")->setText(user.login);
        field(&m_form, "passwordField")->setText(user.password);
        click(&m_form, "sBitBtn2");
        requireCleared("loginField", "the user was not removed");
    }

    void changePassword(const QString& oldPassword, const QString& newPassword)
    {
        field(&m_form, "oldPasswordField")->setText(oldPassword);
        field(&m_form, "newPasswordField")->setText(newPassword);
        click(&m_form, "sBitBtn3");
        requireCleared("oldPasswordField", "the password was not changed");
    }

private:
    // Each handler clears its fields once the change is stored.
    void requireCleared(const char* name, const QString& otherwise)
    {
        if (!field(&m_form, name)->text().isEmpty())
            throw NotDone{otherwise};
    }

    TForm5 m_form;
};

// The materials browser of the administrator, with the main window's three kind toggles.
class MaterialsEditing {
public:
    explicit MaterialsEditing(DialogScript& script) : m_script(script)
    {
        for (auto& toggle : m_toggles) {
            toggle = std::make_unique<QToolButton>();
            toggle->setCheckable(true);
            m_group.addButton(toggle.get());
        }
        m_form = std::make_unique<TForm7>(
            TForm7::KindToggles{m_toggles[0].get(), m_toggles[1].get(), m_toggles[2].get()});
    }

    void add(const Material& material)
    {
        show(material.kind);
        m_script.answerFile({true, material.path});
        m_script.answerInput(material.title);
        click(m_form.get(), "sButton3");
        if (!m_script.texts(Dialogs::Kind::Message).isEmpty() ||
            !m_form->list(material.kind)->keys().contains(material.path))
            throw NotDone{QStringLiteral("the material was not added")};
    }

    void remove(const Material& material)
    {
        show(material.kind);
        LookupList* list = m_form->list(material.kind);
        const int row = static_cast<int>(list->keys().indexOf(material.path));
        if (row < 0)
            throw NotDone{QStringLiteral("the material to remove is not listed")};
        list->pick(row);
        click(m_form.get(), "sButton4");
        if (list->keys().contains(material.path))
            throw NotDone{QStringLiteral("the material was not removed")};
    }

private:
    // The browser reads the pressed toggle each time it goes from hidden to shown.
    void show(int kind)
    {
        if (kind == m_kind)
            return;
        m_toggles[kind - 1]->setChecked(true);
        m_form->FormCreate();
        m_kind = kind;
    }

    DialogScript& m_script;
    std::array<std::unique_ptr<QToolButton>, 3> m_toggles;
    QButtonGroup m_group;
    std::unique_ptr<TForm7> m_form;
    int m_kind = 0;
};

// The question bank editor: a row inserted or a row edited through the fields and the navigator.
class QuestionEditing {
public:
    // A new row at the last one; the table stores it after every other row.
    void insert(const Question& question)
    {
        moveTo(0);
        if (!m_form.record()->atEnd())
            press(RecordNavigator::Last);
        press(RecordNavigator::Insert);
        fill(question);
    }

    void edit(int position, const Question& question)
    {
        moveTo(position);
        fill(question);
    }

    // Sets answer A of the row at a position, leaving the rest as it is.
    void setAnswer(int position, const QString& text)
    {
        moveTo(position);
        qobject_cast<QPlainTextEdit*>(m_form.field(QuestionBankModel::AnswerA))->setPlainText(text);
        post();
    }

private:
    // All records opened afresh, so the rows are in stored order with the first one current.
    void moveTo(int position)
    {
        click(&m_form, "allRecordsButton");
        for (int i = 0; i < position; ++i)
            press(RecordNavigator::Next);
        if (m_form.record()->row() != position)
            throw NotDone{QStringLiteral("the editor is not at row %1").arg(position)};
    }

    void press(RecordNavigator::Button which)
    {
        QAbstractButton* button = m_form.navigator()->button(which);
        if (!button->isEnabled())
            throw NotDone{QStringLiteral("the navigator button %1 is disabled").arg(int(which))};
        button->click();
    }

    void fill(const Question& question)
    {
        for (int i = 0; i < question.fields.size(); ++i)
            qobject_cast<QPlainTextEdit*>(m_form.field(static_cast<QuestionBankModel::Field>(i)))
                ->setPlainText(question.fields[i]);
        qobject_cast<QLineEdit*>(m_form.field(QuestionBankModel::RightAnswer))
            ->setText(QString::number(question.right));
        post();
    }

    void post()
    {
        press(RecordNavigator::Post);
        if (m_form.record()->isEditing())
            throw NotDone{QStringLiteral("the row was not posted")};
    }

    TForm4 m_form;
};

// Runs one change through its window; false when it showed an error or did not happen.
template <typename Step> bool perform(DialogScript& script, int n, Step&& step)
{
    QString failure;
    const bool ran = guarded([&] {
        try {
            step();
        } catch (const NotDone& notDone) {
            failure = notDone.what;
        }
    });
    QStringList errors = newErrors(script);
    if (!failure.isEmpty())
        errors << failure;
    for (const QString& error : errors)
        say(QStringLiteral("error %1 %2").arg(n).arg(QString(error).replace('\n', ' ')));
    QCoreApplication::processEvents();
    return ran && errors.isEmpty();
}

int crash(Scenario scenario, int first)
{
    DialogScript script;
    std::unique_ptr<TestTaking> testTaking;
    std::unique_ptr<UserAdministration> users;
    std::unique_ptr<MaterialsEditing> materials;
    std::unique_ptr<QuestionEditing> questions;
    switch (scenario) {
    case Scenario::Results:
        testTaking = std::make_unique<TestTaking>();
        break;
    case Scenario::Users:
        users = std::make_unique<UserAdministration>();
        break;
    case Scenario::Materials:
        materials = std::make_unique<MaterialsEditing>(script);
        break;
    case Scenario::Questions:
        questions = std::make_unique<QuestionEditing>();
        break;
    }
    if (!newErrors(script).isEmpty())
        return kCrashStopped;
    say(QStringLiteral("ready"));

    for (int n = first;; ++n) {
        const Change step = change(scenario, n);
        int score = -1;
        const bool done = perform(script, n, [&] {
            switch (step.kind) {
            case Change::Kind::StoreResult:
                score = testTaking->submit(step.login, n);
                break;
            case Change::Kind::AddUser:
                users->add(step.user);
                break;
            case Change::Kind::RemoveUser:
                users->remove(step.user);
                break;
            case Change::Kind::ChangePassword:
                users->changePassword(step.oldPassword, step.newPassword);
                break;
            case Change::Kind::AddMaterial:
                materials->add(step.material);
                break;
            case Change::Kind::RemoveMaterial:
                materials->remove(step.material);
                break;
            case Change::Kind::InsertQuestion:
                questions->insert(step.question);
                break;
            case Change::Kind::EditQuestion:
                questions->edit(step.position, step.question);
                break;
            }
        });
        if (!done)
            return kCrashStopped;
        say(score >= 0 ? QStringLiteral("ack %1 %2").arg(n).arg(score)
                       : QStringLiteral("ack %1").arg(n));
    }
}

// One of two programs on one database: each round stores a result, then in turn edits its own
// result row, adds and removes a user, edits its own question, or reads its results back and
// checks that none is missing.
int share(const QString& tag, int count)
{
    DialogScript script;
    const QString login = QStringLiteral("share-") + tag;
    TestTaking testTaking;
    UserAdministration users;
    QuestionEditing questions;
    ResultsModel results;
    results.setEditable(true);
    newErrors(script);
    say(QStringLiteral("ready"));

    int stored = 0;
    int failures = 0;
    for (int n = 0; n < count; ++n) {
        int score = 0;
        if (perform(script, n, [&] { score = testTaking.submit(login, n, 3); })) {
            ++stored;
            say(QStringLiteral("ack %1 %2").arg(n).arg(score));
        } else {
            ++failures;
        }
        bool done = true;
        switch (n % 4) {
        case 0:
            done = perform(script, n, [&] {
                results.open(QStringLiteral("edit-") + tag);
                const QModelIndex cell =
                    results.index(0, results.columnIndex(QStringLiteral("Верно")));
                if (!results.setData(cell, n % 31))
                    throw NotDone{QStringLiteral("the result was not changed")};
                results.post();
            });
            break;
        case 1:
            done = perform(script, n, [&] {
                const User user{QStringLiteral("u-%1-%2").arg(tag).arg(n), QStringLiteral("p"),
                                tag};
                users.add(user);
                users.remove(user);
            });
            break;
        case 2:
            done = perform(script, n, [&] {
                questions.setAnswer(tag == QLatin1String("A") ? 0 : 1,
                                    QStringLiteral("%1 %2").arg(tag).arg(n));
            });
            break;
        default:
            done = perform(script, n, [&] {
                results.open(login);
                while (results.canFetchMore({}))
                    results.fetchMore({});
                if (results.rowCount() != stored)
                    throw NotDone{QStringLiteral("%1 results read back, %2 stored")
                                      .arg(results.rowCount())
                                      .arg(stored)};
            });
        }
        if (!done)
            ++failures;
    }
    say(QStringLiteral("done %1").arg(stored));
    return failures == 0 ? 0 : 1;
}

// Waits for the parent's word, then makes the changes one by one, going on after each error box.
// The whole program is started beside the windows it drives, so that the parent can check that
// none of its windows keeps the file locked while the program waits.
int gated(const QString& what, int count)
{
    DialogScript script;
    WindowRegistry program;
    program.createAll();
    program.form1()->show();
    TestTaking testTaking;
    UserAdministration users;
    newErrors(script);
    say(QStringLiteral("ready"));
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    int done = 0;
    for (int n = 0; n < count; ++n) {
        int score = -1;
        const bool ok = perform(script, n, [&] {
            if (what == QLatin1String("result"))
                score = testTaking.submit(QStringLiteral("gated"), n, 3);
            else
                users.remove({QStringLiteral("gone-%1").arg(n), QStringLiteral("p"), {}});
        });
        if (ok) {
            ++done;
            say(score >= 0 ? QStringLiteral("ack %1 %2").arg(n).arg(score)
                           : QStringLiteral("ack %1").arg(n));
        }
    }
    say(QStringLiteral("done %1").arg(done));
    return 0;
}

int usage()
{
    std::fputs("usage: write_driver crash SCENARIO FOLDER FIRST | share FOLDER TAG COUNT | "
               "gated FOLDER BUSY_MS result|remove-user COUNT\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString mode = arguments.value(0);
    const int folderAt = mode == QLatin1String("crash") ? 2 : 1;
    if (arguments.size() < folderAt + 2 || !QDir::setCurrent(arguments.value(folderAt)))
        return usage();

    if (mode == QLatin1String("crash")) {
        const auto scenario = fromName(arguments.value(1));
        return scenario ? crash(*scenario, arguments.value(3).toInt()) : usage();
    }
    if (mode == QLatin1String("share") && arguments.size() == 4)
        return share(arguments.value(2), arguments.value(3).toInt());
    if (mode == QLatin1String("gated") && arguments.size() == 5) {
        Connection::shared().setBusyTimeoutMs(arguments.value(2).toInt());
        return gated(arguments.value(3), arguments.value(4).toInt());
    }
    return usage();
}
