#include "TeacherWindow.h"

#include "Commands.h"
#include "Dialogs.h"
#include "ImportPage.h"
#include "KazakhMessages.h"
#include "LivePage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

std::function<void(const QString&)>& opener()
{
    static std::function<void(const QString&)> open = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return open;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(QLatin1String(name));
    return made;
}

// A page's text that says what its tools do.
QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TeacherWindow::TeacherWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TeacherWindow"));
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildCourseBar());
    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("Tools"));
    m_tabs->setAccessibleName(QStringLiteral("Құралдар"));
    m_importPage = new ImportPage(*this);
    m_tabs->addTab(m_importPage, QStringLiteral("&Импорт"));
    m_tabs->addTab(buildExportPage(), QStringLiteral("&Экспорт"));
    m_tabs->addTab(buildAnalysisPage(), QStringLiteral("&Талдау"));
    m_tabs->addTab(buildPaperPage(), QStringLiteral("&Қағаз нұсқалары"));
    m_coursePage = buildCoursePage();
    m_tabs->addTab(m_coursePage, QStringLiteral("&Курс"));
    m_livePage = new LivePage(this);
    m_tabs->addTab(m_livePage, QStringLiteral("С&ынып"));
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buildWorkBar());
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_tabs->currentWidget() == m_coursePage && !m_settingsRead)
            readSettings();
    });
    setCentralWidget(central);
    resize(900, 640);

    const auto logged = [this](const QString& text) {
        QStringList lines;
        for (const QString& line : text.trimmed().split(QLatin1Char('\n')))
            lines << KazakhMessages::translate(line);
        m_log->appendPlainText(lines.join(QLatin1Char('\n')));
        return lines;
    };
    connect(&m_runner, &JobRunner::message, this,
            [this, logged](const QString& text) { m_messages << logged(text); });
    connect(&m_runner, &JobRunner::output, this,
            [this, logged](const QString& text) { m_output << logged(text); });
    connect(&m_runner, &JobRunner::progressed, this,
            [this](const QString&, qint64 done, qint64 total) {
                m_progress->setRange(0, total > 0 ? 1000 : 0);
                if (total > 0)
                    m_progress->setValue(int(done * 1000 / total));
                m_status->setText(QStringLiteral("%1: %2").arg(m_what).arg(done));
            });
    connect(&m_runner, &JobRunner::finished, this, &TeacherWindow::finish);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_status->setText(QStringLiteral("Тоқтатылуда…"));
        m_runner.cancel();
    });
    openCourse(CourseLocation::remembered());
}

void TeacherWindow::setOpener(std::function<void(const QString&)> open)
{
    opener() = std::move(open);
}

QWidget* TeacherWindow::buildCourseBar()
{
    auto* bar = new QWidget(this);
    auto* title = new QLabel(QStringLiteral("Курс:"), bar);
    m_courseLabel = new QLabel(bar);
    m_courseLabel->setObjectName(QStringLiteral("Course"));
    m_courseLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    title->setBuddy(m_courseLabel);
    auto* openFile = button(QStringLiteral("db.mdb &ашу…"), "OpenCourseFile", bar);
    auto* serviceLabel = new QLabel(QStringLiteral("&Сервер қызметі:"), bar);
    m_service = new QLineEdit(bar);
    m_service->setObjectName(QStringLiteral("Service"));
    m_service->setPlaceholderText(QStringLiteral("okulyk"));
    m_service->setMaxLength(200);
    serviceLabel->setBuddy(m_service);
    auto* connectServer = button(QStringLiteral("Қ&осылу"), "ConnectServer", bar);
    connectServer->setAccessibleName(QStringLiteral("Қосылу, сервердегі курсқа"));

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(m_courseLabel, 1);
    layout->addWidget(openFile);
    layout->addSpacing(12);
    layout->addWidget(serviceLabel);
    layout->addWidget(m_service);
    layout->addWidget(connectServer);

    connect(openFile, &QPushButton::clicked, this, &TeacherWindow::chooseCourseFile);
    const auto connectToServer = [this] {
        if (m_service->text().trimmed().isEmpty()) {
            Dialogs::warning(QStringLiteral("Сервердегі курстың қызмет атауын жазыңыз "
                                            "(pg_service.conf файлындағы атау)."));
            return;
        }
        openCourse(CourseLocation::server(m_service->text()));
    };
    connect(connectServer, &QPushButton::clicked, this, connectToServer);
    connect(m_service, &QLineEdit::returnPressed, this, connectToServer);
    return bar;
}

QWidget* TeacherWindow::buildExportPage()
{
    auto* page = new QWidget(this);
    auto* questions = new QGroupBox(QStringLiteral("Сұрақтар банкі"), page);
    auto* formatLabel = new QLabel(QStringLiteral("&Пішімі:"), questions);
    m_exportFormat = new QComboBox(questions);
    m_exportFormat->setObjectName(QStringLiteral("ExportFormat"));
    m_exportFormat->addItem(QStringLiteral("Moodle XML (оқу платформасына)"),
                            QStringLiteral("moodle-xml"));
    m_exportFormat->addItem(QStringLiteral("GIFT"), QStringLiteral("gift"));
    m_exportFormat->addItem(QStringLiteral("Aiken"), QStringLiteral("aiken"));
    formatLabel->setBuddy(m_exportFormat);
    auto* exportQuestions =
        button(QStringLiteral("С&ұрақтарды экспорттау…"), "ExportQuestions", questions);
    auto* questionsLayout = new QHBoxLayout(questions);
    questionsLayout->addWidget(formatLabel);
    questionsLayout->addWidget(m_exportFormat, 1);
    questionsLayout->addWidget(exportQuestions);

    auto* results = new QGroupBox(QStringLiteral("Нәтижелер (CSV, электрондық кестеге)"), page);
    m_everyAnswer =
        new QCheckBox(QStringLiteral("Әр &жауап бөлек жолмен (сұрақтар бойынша)"), results);
    m_everyAnswer->setObjectName(QStringLiteral("EveryAnswer"));
    auto* exportResults =
        button(QStringLiteral("&Нәтижелерді экспорттау…"), "ExportResults", results);
    auto* resultsLayout = new QHBoxLayout(results);
    resultsLayout->addWidget(m_everyAnswer, 1);
    resultsLayout->addWidget(exportResults);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(questions);
    layout->addWidget(results);
    layout->addStretch(1);

    connect(exportQuestions, &QPushButton::clicked, this, [this] {
        const QString format = m_exportFormat->currentData().toString();
        const QString extension = format == QLatin1String("moodle-xml") ? QStringLiteral("xml")
                                  : format == QLatin1String("gift")     ? QStringLiteral("gift")
                                                                        : QStringLiteral("txt");
        const QString file =
            fileToWrite(QStringLiteral("%1|*.%2").arg(m_exportFormat->currentText(), extension),
                        QStringLiteral("suraqtar.%1").arg(extension));
        if (!file.isEmpty())
            runCommand(
                QStringLiteral("сұрақтарды экспорттау"),
                {QStringLiteral("export-questions"), file, QStringLiteral("--format"), format});
    });
    connect(exportResults, &QPushButton::clicked, this, [this] {
        const bool everyAnswer = m_everyAnswer->isChecked();
        const QString file = fileToWrite(QStringLiteral("CSV|*.csv"),
                                         everyAnswer ? QStringLiteral("zhauaptar.csv")
                                                     : QStringLiteral("natizheler.csv"));
        if (file.isEmpty())
            return;
        QStringList command = {QStringLiteral("export-results"), file};
        if (everyAnswer)
            command << QStringLiteral("--answers");
        runCommand(QStringLiteral("нәтижелерді экспорттау"), command);
    });
    return page;
}

QWidget* TeacherWindow::buildAnalysisPage()
{
    auto* page = new QWidget(this);
    auto* form = new QFormLayout;
    m_group = new QLineEdit(page);
    m_group->setObjectName(QStringLiteral("Group"));
    m_group->setPlaceholderText(QStringLiteral("барлық топтар"));
    m_group->setMaxLength(200);
    form->addRow(QStringLiteral("То&бы:"), m_group);
    m_sinceOn = new QCheckBox(QStringLiteral("Осы кү&ннен бастап:"), page);
    m_sinceOn->setObjectName(QStringLiteral("SinceOn"));
    m_since = new QDateEdit(QDate::currentDate().addMonths(-3), page);
    m_since->setObjectName(QStringLiteral("Since"));
    m_since->setCalendarPopup(true);
    m_since->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_since->setEnabled(false);
    m_since->setAccessibleName(QStringLiteral("Осы күннен бастап, күні"));
    form->addRow(m_sinceOn, m_since);
    connect(m_sinceOn, &QCheckBox::toggled, m_since, &QWidget::setEnabled);

    auto* report = button(QStringLiteral("&Есеп жасау…"), "Report", page);
    auto* itemStats = button(QStringLiteral("Сұрақтар статистикас&ы…"), "ItemStats", page);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(report);
    buttons->addWidget(itemStats);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(
        QStringLiteral("Есеп: топтар бойынша нәтижелер және, жауаптар сақталса, әр сұрақтың "
                       "көрсеткіштері (жеңілдігі, ажыратуы, күмәнді кілттер), басып шығаруға "
                       "дайын. Статистика: сол көрсеткіштер CSV кестесі ретінде. Тобы мен күні "
                       "тек сұрақтарды талдауды тарылтады."),
        page));
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(report, &QPushButton::clicked, this, [this] {
        writeAndOpen(QStringLiteral("есеп"), QStringLiteral("HTML|*.html"),
                     QStringLiteral("esep.html"), QStringList{QStringLiteral("report")});
    });
    connect(itemStats, &QPushButton::clicked, this, [this] {
        writeAndOpen(QStringLiteral("сұрақтар статистикасы"), QStringLiteral("CSV|*.csv"),
                     QStringLiteral("suraqtar-statistikasy.csv"),
                     QStringList{QStringLiteral("item-stats")});
    });
    return page;
}

QWidget* TeacherWindow::buildPaperPage()
{
    auto* page = new QWidget(this);
    auto* form = new QFormLayout;
    m_variants = new QSpinBox(page);
    m_variants->setObjectName(QStringLiteral("Variants"));
    m_variants->setRange(1, 200);
    m_variants->setValue(4);
    form->addRow(QStringLiteral("&Нұсқалар саны:"), m_variants);
    m_seed = new QLineEdit(page);
    m_seed->setObjectName(QStringLiteral("Seed"));
    m_seed->setPlaceholderText(QStringLiteral("кездейсоқ"));
    m_seed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,18}")), m_seed));
    form->addRow(QStringLiteral("&Seed (қайталау үшін):"), m_seed);
    auto* print = button(QStringLiteral("Нұсқаларды &жасау…"), "PrintTest", page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explanation(
        QStringLiteral("Компьютерден көп оқушысы бар сыныпқа: әр нұсқа — бағдарлама тәсілімен "
                       "таңдалған 30 сұрақ, оқушы аты-жөніне жол, A4 бетте; соңғы бетте "
                       "жауаптар кілті. Сол seed сол нұсқаларды қайта береді."),
        page));
    layout->addLayout(form);
    layout->addWidget(print, 0, Qt::AlignLeft);
    layout->addStretch(1);
    connect(print, &QPushButton::clicked, this, [this] {
        QStringList command = {QStringLiteral("print-test")};
        QStringList options = {QStringLiteral("--variants"), QString::number(m_variants->value())};
        if (!m_seed->text().isEmpty())
            options << QStringLiteral("--seed") << m_seed->text();
        const QString file =
            fileToWrite(QStringLiteral("HTML|*.html"), QStringLiteral("nusqalar.html"));
        if (file.isEmpty())
            return;
        runCommand(QStringLiteral("қағаз нұсқалары"), command << file << options,
                   [file](int status) {
                       if (status == Commands::Done || status == Commands::DoneWithWarnings)
                           opener()(file);
                   });
    });
    return page;
}

QWidget* TeacherWindow::buildCoursePage()
{
    auto* page = new QWidget(this);
    auto* test = new QGroupBox(QStringLiteral("Тест"), page);
    m_differentQuestions =
        new QCheckBox(QStringLiteral("30 түрлі сұ&рақ: бір тестте сұрақ қайталанбайды"), test);
    m_differentQuestions->setObjectName(QStringLiteral("DifferentQuestions"));
    m_differentQuestions->setEnabled(false);
    auto* upgrade = button(QStringLiteral("Курсты &жаңарту"), "Upgrade", test);
    upgrade->setAccessibleName(
        QStringLiteral("Курсты жаңарту, бұрынғы нұсқа жасаған курсқа жетіспейтінін қосу"));
    auto* testLayout = new QVBoxLayout(test);
    testLayout->addWidget(explanation(
        QStringLiteral("Әдетте әр сұрақ банктен кездейсоқ алынады, сондықтан бір тестте бір "
                       "сұрақ екі рет кездесуі мүмкін. Белгіленсе, 30 сұрақ әртүрлі болады "
                       "(банкте 30-дан аз болса, әр сұрақ бір реттен кейін ғана қайталанады); "
                       "компьютер сыныбы мен қағаз нұсқалары да солай алады. Бұрынғы нұсқа "
                       "жасаған курсты алдымен жаңартыңыз."),
        test));
    testLayout->addWidget(m_differentQuestions);
    testLayout->addWidget(upgrade, 0, Qt::AlignLeft);
    connect(m_differentQuestions, &QCheckBox::toggled, this, [this](bool on) {
        runCommand(QStringLiteral("курс баптауы"),
                   {QStringLiteral("settings"), QStringLiteral("different-questions"),
                    on ? QStringLiteral("on") : QStringLiteral("off")},
                   [this](int status) {
                       if (status != Commands::Done)
                           readSettings();
                   });
    });
    connect(upgrade, &QPushButton::clicked, this, [this] {
        runCommand(QStringLiteral("курсты жаңарту"), {QStringLiteral("upgrade")},
                   [this](int) { readSettings(); });
    });

    auto* migrate = button(QStringLiteral("&Access дерекқорын көшіру…"), "Migrate", page);
    m_copyToFile =
        button(QStringLiteral("Сервердегі курсты &db.mdb файлына көшіру…"), "CopyToFile", page);
    m_copyFromFile =
        button(QStringLiteral("db.mdb файлын сер&верге көшіру…"), "CopyFromFile", page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(test);
    layout->addWidget(explanation(
        QStringLiteral("Ескі бағдарламаның Microsoft Access дерекқорын (.mdb) жаңа курс "
                       "файлына көшіру. Компьютер сыныбының серверіндегі курсты db.mdb файлына "
                       "сақтау немесе db.mdb файлын бос сервер курсына көшіру."),
        page));
    layout->addWidget(migrate, 0, Qt::AlignLeft);
    layout->addWidget(m_copyToFile, 0, Qt::AlignLeft);
    layout->addWidget(m_copyFromFile, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(migrate, &QPushButton::clicked, this, [this] {
        const Dialogs::FileChoice source =
            Dialogs::openFile(QStringLiteral("Access дерекқоры|*.mdb;*.accdb"), 1);
        if (!source.accepted)
            return;
        // Bringing the old database over is how a school gets its course: no course need be
        // open, and the new one is opened when it is made.
        const Dialogs::FileChoice target =
            Dialogs::saveFile(QStringLiteral("Курс дерекқоры|*.mdb"), QStringLiteral("db.mdb"));
        if (target.accepted)
            runCommand(QStringLiteral("Access дерекқорын көшіру"),
                       {QStringLiteral("migrate"), source.path, target.path},
                       [this, path = target.path](int status) {
                           if (status == Commands::Done || status == Commands::DoneWithWarnings)
                               openCourse(CourseLocation::file(path));
                       });
    });
    connect(m_copyToFile, &QPushButton::clicked, this, [this] {
        const QString target =
            fileToWrite(QStringLiteral("Курс дерекқоры|*.mdb"), QStringLiteral("db.mdb"));
        if (!target.isEmpty())
            runCommand(QStringLiteral("курсты көшіру"),
                       {QStringLiteral("copy-course"), QStringLiteral("server:") + m_course.service,
                        target});
    });
    connect(m_copyFromFile, &QPushButton::clicked, this, [this] {
        const Dialogs::FileChoice source =
            Dialogs::openFile(QStringLiteral("Курс дерекқоры|*.mdb"), 1);
        if (source.accepted)
            runCommand(QStringLiteral("курсты көшіру"),
                       {QStringLiteral("copy-course"), source.path,
                        QStringLiteral("server:") + m_course.service});
    });
    return page;
}

QWidget* TeacherWindow::buildWorkBar()
{
    auto* bar = new QWidget(this);
    m_log = new QPlainTextEdit(bar);
    m_log->setObjectName(QStringLiteral("Log"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);
    m_log->setAccessibleName(QStringLiteral("Жұмыс журналы"));
    m_log->setFixedHeight(110);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setAccessibleName(QStringLiteral("Жұмыстың барысы"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_status = new QLabel(QStringLiteral("Дайын."), bar);
    m_status->setObjectName(QStringLiteral("Status"));
    m_cancel = button(QStringLiteral("Бо&лдырмау"), "Cancel", bar);
    m_cancel->setEnabled(false);
    auto* row = new QHBoxLayout;
    row->addWidget(m_status, 1);
    row->addWidget(m_progress, 1);
    row->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_log);
    layout->addLayout(row);
    return bar;
}

void TeacherWindow::openCourse(const CourseLocation& course)
{
    m_course = course;
    if (hasCourse())
        m_course.remember();
    if (course.kind == CourseLocation::Kind::Server)
        m_service->setText(course.service);
    m_courseLabel->setText(m_course.shown());
    setWindowTitle(QStringLiteral("Okulyk — мұғалім құралдары — %1").arg(m_course.shown()));
    updateCourseActions();
    m_livePage->setCourse(m_course);
    m_settingsRead = false;
    if (m_coursePage->isVisible())
        readSettings();
}

void TeacherWindow::updateCourseActions()
{
    const bool onServer = m_course.kind == CourseLocation::Kind::Server;
    m_copyToFile->setEnabled(onServer);
    m_copyFromFile->setEnabled(onServer);
}

// The course's settings as the companion lists them ("different-questions on"), shown once the
// course page is; the check box is offered once its state is known.
void TeacherWindow::readSettings()
{
    if (!hasCourse() || m_runner.isBusy())
        return;
    m_differentQuestions->setEnabled(false);
    runCommand(QStringLiteral("курс баптаулары"), {QStringLiteral("settings")}, [this](int status) {
        if (status != Commands::Done)
            return;
        for (const QString& line : std::as_const(m_output)) {
            if (!line.startsWith(QLatin1String("different-questions ")))
                continue;
            const QSignalBlocker quiet(m_differentQuestions);
            m_differentQuestions->setChecked(line.section(QLatin1Char(' '), 1, 1) ==
                                             QLatin1String("on"));
            m_differentQuestions->setEnabled(true);
            m_settingsRead = true;
        }
    });
}

void TeacherWindow::chooseCourseFile()
{
    const Dialogs::FileChoice choice =
        Dialogs::openFile(QStringLiteral("Курс дерекқоры|db.mdb;*.mdb"), 1);
    if (choice.accepted)
        openCourse(CourseLocation::file(choice.path));
}

void TeacherWindow::runJob(const QString& what, const JobRunner::Job& job,
                           std::function<void(int)> done)
{
    if (m_runner.isBusy()) {
        Dialogs::warning(QStringLiteral("Алдыңғы жұмыс әлі аяқталған жоқ: %1.").arg(m_what));
        return;
    }
    m_what = what;
    m_done = std::move(done);
    m_messages.clear();
    m_output.clear();
    m_log->appendPlainText(QStringLiteral("— %1").arg(what));
    m_status->setText(QStringLiteral("%1…").arg(what));
    m_progress->setRange(0, 0);
    m_cancel->setEnabled(true);
    m_tabs->setEnabled(false);
    m_runner.start(job);
}

void TeacherWindow::runCommand(const QString& what, QStringList arguments,
                               std::function<void(int)> done)
{
    // Commands that name their own two sides take no course option.
    const bool ownSides = arguments.value(0) == QLatin1String("migrate") ||
                          arguments.value(0) == QLatin1String("copy-course");
    if (!ownSides && !courseIsOpen())
        return;
    if (!ownSides)
        arguments << m_course.arguments();
    runJob(
        what, [arguments](Console& console) { return Commands::run(arguments, console); },
        std::move(done));
}

void TeacherWindow::finish(int status)
{
    m_cancel->setEnabled(false);
    m_tabs->setEnabled(true);
    m_progress->setRange(0, 1000);
    m_progress->setValue(status == Commands::Done || status == Commands::DoneWithWarnings ? 1000
                                                                                          : 0);
    switch (status) {
    case Commands::Done:
        m_status->setText(QStringLiteral("Дайын: %1.").arg(m_what));
        break;
    case Commands::DoneWithWarnings:
        m_status->setText(QStringLiteral("Дайын: %1; ескертулер журналда.").arg(m_what));
        break;
    case Commands::Stopped:
        m_status->setText(QStringLiteral("Тоқтатылды: %1; ештеңе өзгерген жоқ.").arg(m_what));
        break;
    default:
        m_status->setText(QStringLiteral("Орындалмады: %1.").arg(m_what));
        if (!m_messages.isEmpty())
            Dialogs::error(QStringLiteral("Орындалмады: %1.\n\n%2")
                               .arg(m_what, m_messages.join(QLatin1Char('\n'))));
        break;
    }
    // The callback may start the next job.
    const auto done = std::exchange(m_done, {});
    if (done)
        done(status);
    emit workFinished(status);
}

bool TeacherWindow::courseIsOpen()
{
    if (!hasCourse())
        Dialogs::warning(QStringLiteral("Алдымен курсты ашыңыз: db.mdb файлын немесе сервердегі "
                                        "курсты."));
    return hasCourse();
}

QString TeacherWindow::fileToWrite(const QString& filter, const QString& suggested)
{
    if (!courseIsOpen())
        return {};
    const Dialogs::FileChoice choice = Dialogs::saveFile(filter, suggested);
    return choice.accepted ? choice.path : QString();
}

QStringList TeacherWindow::narrowing() const
{
    QStringList options;
    if (!m_group->text().trimmed().isEmpty())
        options << QStringLiteral("--group") << m_group->text().trimmed();
    if (m_sinceOn->isChecked())
        options << QStringLiteral("--since")
                << m_since->date().toString(QStringLiteral("yyyy-MM-dd"));
    return options;
}

void TeacherWindow::writeAndOpen(const QString& what, const QString& filter,
                                 const QString& suggested, const QStringList& command)
{
    const QString file = fileToWrite(filter, suggested);
    if (file.isEmpty())
        return;
    runCommand(what, QStringList{command.constFirst(), file} << narrowing(), [file](int status) {
        if (status == Commands::Done || status == Commands::DoneWithWarnings)
            opener()(file);
    });
}

void TeacherWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner.isBusy() &&
        !Dialogs::confirm(windowTitle(),
                          QStringLiteral("Жұмыс әлі аяқталған жоқ: %1. Оны тоқтатып, терезені "
                                         "жабу керек пе? Тоқтатылған жұмыс ештеңені өзгертпейді.")
                              .arg(m_what))) {
        event->ignore();
        return;
    }
    m_runner.cancel();
    event->accept();
}

void TeacherWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().value(0).isLocalFile())
        event->acceptProposedAction();
}

void TeacherWindow::dropEvent(QDropEvent* event)
{
    const QString path = event->mimeData()->urls().value(0).toLocalFile();
    if (path.isEmpty() || m_runner.isBusy())
        return;
    event->acceptProposedAction();
    m_tabs->setCurrentWidget(m_importPage);
    m_importPage->preview(path);
}
