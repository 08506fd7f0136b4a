// What a person sees of the landed windows: captions, client sizes and fixed texts, texts that
// fit their controls in the program's fonts, and panels whose text a screen reader can read.

#include "Dialogs.h"
#include "MainWindow.h"
#include "PictureButton.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A started program on a scratch course with a small bank and the demo logins.
struct Program {
    Program()
    {
        QString sql = QStringLiteral(
            "insert into Пользователи(Логин,Пароль,Группа) values('Chief','pw','');"
            "insert into Пользователи(Логин,Пароль,Группа) values('aigerim','12345','ИС-21');");
        for (int i = 1; i <= 3; ++i)
            sql += QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                                  "ОтветПр) values('Q%1','a','b','c','d','e',1);")
                       .arg(i);
        course.exec(sql);
        windows.createAll();
        windows.form1()->show();
    }

    void signIn(const QString& login, const QString& password)
    {
        TForm3* form = windows.form3();
        form->findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(login);
        form->findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
    }

    FormWindow* window(const QString& name) const
    {
        for (FormWindow* window : windows.creationOrder())
            if (window->objectName() == name)
                return window;
        return nullptr;
    }

    TestCourse course;
    std::unique_ptr<DialogScript> dialogs = std::make_unique<DialogScript>();
    WindowRegistry windows;
};

QString accessibleName(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// Families that keep the pixel layouts: the Windows fonts or their metric-compatible stand-ins.
const QStringList kLayoutFamilies = {QStringLiteral("Arial"),
                                     QStringLiteral("MS Sans Serif"),
                                     QStringLiteral("Liberation Sans"),
                                     QStringLiteral("Palatino Linotype"),
                                     QStringLiteral("P052"),
                                     QStringLiteral("Times New Roman"),
                                     QStringLiteral("Liberation Serif")};

// Captions that cannot stand on one line beside their picture at the described size in any of
// these fonts; they take two lines of their button instead.
const QStringList kTwoLineCaptions = {QStringLiteral("Лабораторлық жұмыстар"),
                                      QStringLiteral("Тест тапсыру")};

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void captionsAndClientSizes_data();
    void captionsAndClientSizes();
    void fixedTexts_data();
    void fixedTexts();
    void everyTextFitsItsControl();
    void panelsReadWhatTheyShow();
    void scoreBoxReadsTheScore();
    void everyWindowStartsOnTheScreen();
    void mainWindowIsNeverMaximised();
    void accessibleNamesBeginWithTheCaption();
};

void LayoutTest::captionsAndClientSizes_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::newRow("main") << "Form1" << QStringLiteral("Электронды окулыгы") << QSize(804, 553);
    QTest::newRow("test taking") << "Form2" << QStringLiteral("Тестер") << QSize(1024, 682);
    QTest::newRow("sign-in") << "Form3" << QStringLiteral("Кіру") << QSize(294, 141);
    QTest::newRow("question bank editor")
        << "Form4" << QStringLiteral("Тестті редактрлеу") << QSize(825, 662);
    QTest::newRow("users") << "Form5" << QStringLiteral("Колданушылар") << QSize(783, 408);
    QTest::newRow("results") << "Form6" << QStringLiteral("Тест натижесі") << QSize(267, 219);
    QTest::newRow("test hub") << "Form8" << QStringLiteral("Тест") << QSize(528, 449);
    QTest::newRow("authors") << "Form9" << QStringLiteral("Авторы") << QSize(345, 153);
}

void LayoutTest::captionsAndClientSizes()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    Program program;
    FormWindow* form = program.window(window);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(form->size(), client);
}

void LayoutTest::fixedTexts_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("sign-in prompt")
        << "Form3"
        << "promptLabel" << QStringLiteral("Қолданушы және паролді енгізініз") << QPoint(83, 7);
    QTest::newRow("login label") << "Form3"
                                 << "userNameLabel" << QStringLiteral("Қолданушы")
                                 << QPoint(19, 40);
    QTest::newRow("password label")
        << "Form3"
        << "passwordLabel" << QStringLiteral("Пароль") << QPoint(19, 68);
    QTest::newRow("OK") << "Form3"
                        << "OKButton" << QStringLiteral("&OK") << QPoint(23, 108);
    QTest::newRow("Cancel") << "Form3"
                            << "CancelButton" << QStringLiteral("&Болдырмау") << QPoint(168, 108);
    QTest::newRow("take test") << "Form8"
                               << "takeTestButton" << QStringLiteral("Тесттен өту")
                               << QPoint(0, 48);
    QTest::newRow("results") << "Form8"
                             << "resultsButton" << QStringLiteral("Нәтижесін қарау")
                             << QPoint(144, 160);
    QTest::newRow("edit test") << "Form8"
                               << "editTestButton" << QStringLiteral("Тестті өзгерту")
                               << QPoint(240, 280);
    QTest::newRow("submit") << "Form2"
                            << "sSpeedButton3" << QStringLiteral("Тест тапсыру") << QPoint(857, 45);
    QTest::newRow("question label") << "Form4"
                                    << "questionLabel" << QStringLiteral("Сұрақ") << QPoint(16, 16);
    QTest::newRow("answer A label, Cyrillic letter")
        << "Form4"
        << "answerALabel" << QStringLiteral("Вариант \u0410") << QPoint(16, 128);
    QTest::newRow("answer B label, Latin letter")
        << "Form4"
        << "answerBLabel" << QStringLiteral("Вариант B") << QPoint(16, 232);
    QTest::newRow("answer E label, Cyrillic letter")
        << "Form4"
        << "answerELabel" << QStringLiteral("Вариант \u0415") << QPoint(16, 552);
    QTest::newRow("right answer label")
        << "Form4"
        << "rightAnswerLabel" << QStringLiteral("Дұрыс жауабының нөмірі") << QPoint(464, 152);
    QTest::newRow("search label") << "Form4"
                                  << "searchLabel" << QStringLiteral("Сұрақ")
                                  << QPoint(440 + 16, 249 + 32);
    QTest::newRow("find") << "Form4"
                          << "findButton" << QStringLiteral("Табу") << QPoint(440 + 216, 249 + 144);
    QTest::newRow("all records") << "Form4"
                                 << "allRecordsButton" << QStringLiteral("Барлық жазба")
                                 << QPoint(440 + 216, 249 + 216);
    QTest::newRow("exit") << "Form4"
                          << "exitButton" << QStringLiteral("Шығу") << QPoint(680, 616);
    QTest::newRow("help") << "Form1"
                          << "helpButton" << QStringLiteral("Анықтама") << QPoint(552, 0);
    QTest::newRow("authors") << "Form1"
                             << "authorsButton" << QStringLiteral("Авторы") << QPoint(680, 0);
}

void LayoutTest::fixedTexts()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QPoint, position);
    Program program;
    FormWindow* form = program.window(window);
    QWidget* widget = form->findChild<QWidget*>(control);
    QVERIFY(widget);
    const QString shown = qobject_cast<QLabel*>(widget)
                              ? qobject_cast<QLabel*>(widget)->text()
                              : qobject_cast<QAbstractButton*>(widget)->text();
    QCOMPARE(shown, text);
    QCOMPARE(widget->mapTo(form, QPoint(0, 0)), position);
}

// Every label and button with a text, in every landed window, in its own font: a layout font
// is used, and the text fits the control's described width on one line (two lines for the
// captions listed above, which are checked to need them).
void LayoutTest::everyTextFitsItsControl()
{
    Program program;
    program.signIn(QStringLiteral("Chief"), QStringLiteral("pw"));
    int checked = 0;
    for (FormWindow* form : program.windows.creationOrder()) {
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(widget);
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (!label && !button)
                continue;
            QString text = label ? label->text() : button->text();
            text.remove(QLatin1Char('&'));
            if (text.isEmpty())
                continue;
            const QString where = form->objectName() + QLatin1Char('.') + widget->objectName() +
                                  QStringLiteral(" \"") + text + QLatin1Char('"');
            const QString family = QFontInfo(widget->font()).family();
            QVERIFY2(kLayoutFamilies.contains(family.section(QStringLiteral(" ["), 0, 0)),
                     qPrintable(where + QStringLiteral(" is drawn in ") + family));

            const QFontMetrics metrics(widget->font());
            const int advance = metrics.horizontalAdvance(text);
            QRect room = label ? label->contentsRect() : widget->rect().adjusted(4, 0, -4, 0);
            if (auto* picture = qobject_cast<PictureButton*>(widget))
                room = picture->captionRect();
            // Nothing may reach past the window's right edge either.
            const int windowRight = form->width() - widget->mapTo(form, room.topLeft()).x();
            room.setWidth(std::min(room.width(), windowRight));

            if (kTwoLineCaptions.contains(text)) {
                QVERIFY2(advance > room.width(), qPrintable(where + " fits on one line"));
                const QRect two =
                    metrics.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, text);
                QVERIFY2(room.contains(two) && two.height() < 3 * metrics.height(),
                         qPrintable(where + QStringLiteral(" needs more than two lines: %1,%2 "
                                                           "%3x%4 in %5x%6")
                                                .arg(two.x())
                                                .arg(two.y())
                                                .arg(two.width())
                                                .arg(two.height())
                                                .arg(room.width())
                                                .arg(room.height())));
            } else {
                QVERIFY2(
                    advance <= room.width(),
                    qPrintable(
                        where +
                        QStringLiteral(": %1 px of text in %2 px").arg(advance).arg(room.width())));
            }
            ++checked;
        }
    }
    QVERIFY(checked >= 50);
}

void LayoutTest::panelsReadWhatTheyShow()
{
    Program program;
    QLabel* mainPanel = program.windows.form1()->currentUserPanel();
    QCOMPARE(accessibleName(mainPanel), QStringLiteral("ghg"));
    program.signIn(QStringLiteral("aigerim"), QStringLiteral("12345"));
    QCOMPARE(accessibleName(mainPanel), QStringLiteral("aigerim"));

    TForm8* hub = program.windows.form8();
    hub->showModeless();
    auto* hubPanel = hub->findChild<QLabel*>(QStringLiteral("sPanel1"));
    QCOMPARE(accessibleName(hubPanel), QStringLiteral("aigerim"));

    program.windows.form2()->showModeless();
    auto* userLabel = program.windows.form2()->findChild<QLabel*>(QStringLiteral("Label1"));
    QCOMPARE(accessibleName(userLabel), QStringLiteral("aigerim"));
}

// The real box, not the test seam: a screen reader is given the score it shows.
void LayoutTest::scoreBoxReadsTheScore()
{
    Program program;
    program.signIn(QStringLiteral("aigerim"), QStringLiteral("12345"));
    TForm2* test = program.windows.form2();
    test->showModeless();

    QString boxText;
    QString boxValue;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        boxText = box->text();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
        boxValue = face ? face->text(QAccessible::Value) : QString();
        box->accept();
    });
    poll.start(10);
    program.dialogs.reset();
    QTest::mouseClick(test->findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
                      Qt::LeftButton);
    QCOMPARE(boxText, QStringLiteral("Сіз 30 дұрыс жауап бердіңіз"));
    QCOMPARE(boxValue, boxText);
}

// The test screen (800 x 800) is smaller than the test-taking window and the question bank
// editor, as a netbook's is: each window's frame still starts on the screen, so that its title
// bar can be reached and the window moved.
void LayoutTest::everyWindowStartsOnTheScreen()
{
    Program program;
    for (FormWindow* window : program.windows.creationOrder()) {
        window->showModeless();
        const QRect available = window->screen()->availableGeometry();
        const QRect frame = window->frameGeometry();
        QVERIFY2(frame.left() >= available.left() && frame.top() >= available.top(),
                 qPrintable(QStringLiteral("%1 at %2,%3")
                                .arg(window->objectName())
                                .arg(frame.left())
                                .arg(frame.top())));
        window->hide();
    }
}

// A window manager may offer maximising a resizable window whatever its frame's boxes say
// (openbox does): the main window, which has no maximise box, comes back to its size.
void LayoutTest::mainWindowIsNeverMaximised()
{
    Program program;
    TForm1* main = program.windows.form1();
    const QSize size = main->size();
    for (const Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
        main->setWindowState(state);
        QTRY_VERIFY(!(main->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)));
        QTRY_COMPARE(main->size(), size);
    }
    main->showMinimized();
    QTRY_VERIFY(main->isMinimized());
}

// A voice-control user says what a button shows, a screen reader reads its accessible name: the
// name of every button, check box and toggle begins with its caption as written.
void LayoutTest::accessibleNamesBeginWithTheCaption()
{
    Program program;
    QStringList wrong;
    for (FormWindow* window : program.windows.creationOrder()) {
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            const QString caption = button->text().remove(QLatin1Char('&')).simplified();
            if (caption.isEmpty())
                continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
            const QString name = face ? face->text(QAccessible::Name).simplified() : QString();
            if (!name.startsWith(caption))
                wrong << QStringLiteral("%1.%2: \"%3\" named \"%4\"")
                             .arg(window->objectName(), button->objectName(), caption, name);
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
