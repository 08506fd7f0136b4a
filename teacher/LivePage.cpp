#include "LivePage.h"

#include "AppError.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A burst of announcements (a class signing in at once) is read once.
constexpr int kSettleMs = 300;
constexpr int kRegularMs = 15000;
// A lesson began at most this long before the page was first shown, unless the teacher says.
constexpr int kLessonMinutes = 45;

// Where the lesson most likely began: a little before the page was first opened.
QTime lessonStartGuess()
{
    const QTime start = QTime::currentTime().addSecs(-kLessonMinutes * 60);
    return QTime(start.hour(), start.minute() - start.minute() % 5);
}

QString clock(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm")) : QString();
}

QString scoreText(const LabWatch::Student& student)
{
    if (!student.score)
        return {};
    QString text = QStringLiteral("%1 / 30").arg(*student.score);
    if (student.results > 1)
        text += QStringLiteral(" (%1 рет)").arg(student.results);
    return text;
}

} // namespace

LivePage::LivePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LivePage"));
    m_pages = new QStackedWidget(this);

    m_why = new QLabel(m_pages);
    m_why->setObjectName(QStringLiteral("LiveUnavailable"));
    m_why->setWordWrap(true);
    m_why->setAlignment(Qt::AlignCenter);
    m_why->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pages->addWidget(m_why);

    auto* live = new QWidget(m_pages);
    m_counts = new QLabel(live);
    m_counts->setObjectName(QStringLiteral("LiveCounts"));
    QFont bold = m_counts->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    m_counts->setFont(bold);
    auto* sinceLabel = new QLabel(QStringLiteral("Сабақ &басталды:"), live);
    m_since = new QTimeEdit(lessonStartGuess(), live);
    m_since->setObjectName(QStringLiteral("LessonStart"));
    m_since->setDisplayFormat(QStringLiteral("HH:mm"));
    sinceLabel->setBuddy(m_since);
    auto* top = new QHBoxLayout;
    top->addWidget(m_counts, 1);
    top->addWidget(sinceLabel);
    top->addWidget(m_since);

    m_students = new QTreeWidget(live);
    m_students->setObjectName(QStringLiteral("LiveStudents"));
    m_students->setAccessibleName(QStringLiteral("Сабақтағы оқушылар, топтар бойынша"));
    m_students->setHeaderLabels({QStringLiteral("Тобы / логин"), QStringLiteral("Компьютер"),
                                 QStringLiteral("Кірді"), QStringLiteral("Тест басталды"),
                                 QStringLiteral("Нәтиже"), QStringLiteral("Тапсырды")});
    m_students->setRootIsDecorated(false);
    m_students->setUniformRowHeights(true);
    m_students->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_students->header()->setStretchLastSection(false);
    m_students->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* failuresBox = new QWidget(live);
    auto* failuresTitle =
        new QLabel(QStringLiteral("Сәтсіз кірул&ер, компьютерлер бойынша:"), failuresBox);
    m_failures = new QTableWidget(0, 3, failuresBox);
    m_failures->setObjectName(QStringLiteral("LiveFailures"));
    m_failures->setAccessibleName(QStringLiteral("Сәтсіз кірулер, компьютерлер бойынша"));
    m_failures->setHorizontalHeaderLabels(
        {QStringLiteral("Компьютер"), QStringLiteral("Сәтсіз кіру"), QStringLiteral("Соңғысы")});
    m_failures->verticalHeader()->hide();
    m_failures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_failures->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_failures->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    failuresTitle->setBuddy(m_failures);
    auto* failuresLayout = new QVBoxLayout(failuresBox);
    failuresLayout->setContentsMargins(0, 0, 0, 0);
    failuresLayout->addWidget(failuresTitle);
    failuresLayout->addWidget(m_failures);

    auto* splitter = new QSplitter(Qt::Vertical, live);
    splitter->addWidget(m_students);
    splitter->addWidget(failuresBox);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    m_state = new QLabel(live);
    m_state->setObjectName(QStringLiteral("LiveState"));
    m_state->setWordWrap(true);

    auto* liveLayout = new QVBoxLayout(live);
    liveLayout->setContentsMargins(0, 0, 0, 0);
    liveLayout->addLayout(top);
    liveLayout->addWidget(splitter, 1);
    liveLayout->addWidget(m_state);
    m_pages->addWidget(live);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    m_soon = new QTimer(this);
    m_soon->setSingleShot(true);
    m_soon->setInterval(kSettleMs);
    connect(m_soon, &QTimer::timeout, this, &LivePage::refresh);
    m_regularly = new QTimer(this);
    m_regularly->setInterval(kRegularMs);
    connect(m_regularly, &QTimer::timeout, this, &LivePage::refresh);
    // The first announcement of a burst starts the wait; later ones must not put it off.
    connect(&m_watch, &LabWatch::changed, this, [this] {
        if (!m_soon->isActive())
            m_soon->start();
    });
    connect(m_since, &QTimeEdit::timeChanged, this, &LivePage::refresh);
    explain(QStringLiteral("Курс ашылмаған."));
}

void LivePage::setCourse(const CourseLocation& course)
{
    m_course = course;
    m_watch.stop();
    m_lesson = {};
    if (isVisible())
        start();
}

QDateTime LivePage::since() const
{
    QDateTime start(QDate::currentDate(), m_since->time());
    // A lesson that began before midnight, watched after it.
    return start > QDateTime::currentDateTime() ? start.addDays(-1) : start;
}

QString LivePage::counts() const
{
    return m_counts->text();
}

QString LivePage::state() const
{
    return m_pages->currentWidget() == m_why ? m_why->text() : m_state->text();
}

void LivePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    start();
}

void LivePage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_soon->stop();
    m_regularly->stop();
    m_watch.stop();
}

void LivePage::start()
{
    if (m_course.kind != CourseLocation::Kind::Server) {
        m_watch.stop();
        m_regularly->stop();
        explain(QStringLiteral(
            "Сынып компьютерлерін тікелей бақылау компьютер сыныбының серверіндегі курспен ғана "
            "жұмыс істейді: оқушылар өз компьютерлерінде db.mdb файлымен жұмыс істегенде, "
            "бағдарлама олардың кіргенін және тест тапсырғанын сабақ кезінде біле алмайды. "
            "Сервердегі курсты жоғарыдағы «Сервер қызметі» жолымен ашыңыз."));
        return;
    }
    m_regularly->start();
    if (!m_watch.isWatching()) {
        try {
            m_watch.watch(m_course.service);
        } catch (const AppError& error) {
            explain(error.message() + QLatin1Char('.'));
            return;
        }
    }
    m_pages->setCurrentIndex(1);
    refresh();
}

void LivePage::explain(const QString& why)
{
    m_why->setText(why);
    m_pages->setCurrentWidget(m_why);
}

void LivePage::refresh()
{
    if (!isVisible() || m_course.kind != CourseLocation::Kind::Server)
        return;
    if (!m_watch.isWatching()) {
        start();
        return;
    }
    try {
        m_lesson = m_watch.read(since());
    } catch (const AppError& error) {
        m_state->setText(
            QStringLiteral("%1. Бағдарлама серверге өзі қайта қосылады; көрсетілгені — "
                           "%2 кездегі жағдай.")
                .arg(error.message(), clock(QDateTime::currentDateTime())));
        return;
    }
    showLesson();
    m_state->setText(QStringLiteral("Жаңартылды: %1.")
                         .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"))));
}

void LivePage::showLesson()
{
    m_counts->setText(QStringLiteral("Кірген: %1 · Тест үстінде: %2 · Тапсырған: %3 · Сәтсіз "
                                     "кіру: %4")
                          .arg(m_lesson.signedIn)
                          .arg(m_lesson.working)
                          .arg(m_lesson.submitted)
                          .arg(m_lesson.failed));

    // Groups in order, each with its students; a group's line counts them.
    QMap<QString, QList<const LabWatch::Student*>> groups;
    for (const LabWatch::Student& student : std::as_const(m_lesson.students))
        groups[student.group] << &student;
    m_students->setUpdatesEnabled(false);
    m_students->clear();
    for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
        const int submitted = int(
            std::count_if(group->cbegin(), group->cend(), [](auto* s) { return s->results > 0; }));
        auto* item = new QTreeWidgetItem(m_students);
        item->setText(0, QStringLiteral("%1 — %2 оқушы, %3 тапсырды")
                             .arg(group.key().isEmpty() ? QStringLiteral("Тобы жоқ") : group.key())
                             .arg(group->size())
                             .arg(submitted));
        item->setFirstColumnSpanned(true);
        QFont font = item->font(0);
        font.setBold(true);
        item->setFont(0, font);
        for (const LabWatch::Student* student : *group) {
            auto* row = new QTreeWidgetItem(item);
            row->setText(0, student->login);
            row->setText(1,
                         student->signedIn.isValid() ? student->computer : QStringLiteral("шықты"));
            row->setText(2, clock(student->signedIn));
            row->setText(3, clock(student->workingSince));
            row->setText(4, scoreText(*student));
            row->setText(5, clock(student->storedAt));
            for (int column = 2; column < 6; ++column)
                row->setTextAlignment(column, Qt::AlignCenter);
        }
        item->setExpanded(true);
    }
    m_students->setUpdatesEnabled(true);

    m_failures->setRowCount(int(m_lesson.failures.size()));
    for (int row = 0; row < m_lesson.failures.size(); ++row) {
        const LabWatch::Computer& computer = m_lesson.failures[row];
        m_failures->setItem(row, 0, new QTableWidgetItem(computer.name));
        auto* count = new QTableWidgetItem(QString::number(computer.failures));
        count->setTextAlignment(Qt::AlignCenter);
        m_failures->setItem(row, 1, count);
        auto* last = new QTableWidgetItem(clock(computer.last));
        last->setTextAlignment(Qt::AlignCenter);
        m_failures->setItem(row, 2, last);
    }
}
