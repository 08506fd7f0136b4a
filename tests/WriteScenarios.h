#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The sequences of changes that the write driver makes through the program's windows and that
// the crash test replays in memory to know what the database must hold. Change n of a sequence
// depends only on n, so a driver started at change n continues where the last one stopped.
// The texts carry what users type that a store could mangle: both quotes, "%", "_", ";", "--",
// line breaks, Kazakh and Russian letters.
namespace WriteScenarios {

enum class Scenario { Results, Users, Materials, Questions };

QString name(Scenario scenario);
std::optional<Scenario> fromName(const QString& name);

struct User {
    QString login;
    QString password;
    QString group;
};

struct Material {
    int kind = 1; // 1 lectures, 2 laboratory works, 3 videos
    QString title;
    QString path;
};

struct Question {
    QStringList fields; // question, answers A..E
    int right = 1;
};

struct Change {
    enum class Kind {
        StoreResult,
        AddUser,
        RemoveUser,
        ChangePassword,
        AddMaterial,
        RemoveMaterial,
        InsertQuestion,
        EditQuestion
    };
    Kind kind = Kind::StoreResult;
    // StoreResult: the signed-in login.
    QString login;
    // AddUser, RemoveUser (login and password).
    User user;
    // ChangePassword: the administrator's password before and after.
    QString oldPassword;
    QString newPassword;
    // AddMaterial, RemoveMaterial (by its path, within its kind).
    Material material;
    // InsertQuestion (appended in row order), EditQuestion (the row at this position).
    Question question;
    int position = 0;
};

// What a scratch course holds before the first change of a sequence.
inline const QString kAdministratorPassword = QStringLiteral("admin123");
inline constexpr int kSeedQuestions = 40;
QList<User> seedUsers();
QList<Material> seedMaterials();
QList<Question> seedQuestions();
// The statements that put the seed rows into an empty course.
QString seedSql();

Change change(Scenario scenario, int n);

// A question file for okulyk-admin import-questions: questions 1..count in the Aiken format.
QList<Question> importedQuestions(int count);
QString aikenText(const QList<Question>& questions);

// A question as the bank's dump reads it ("question|A|B|C|D|E|right:type").
QString bankRow(const Question& question);
// The statement that dumps the bank so, in row order.
inline const QString kBankDump = QStringLiteral(
    "select ifnull(Вопрос,'~')||'|'||ifnull(Ответ1,'~')||'|'||ifnull(Ответ2,'~')||'|'||"
    "ifnull(Ответ3,'~')||'|'||ifnull(Ответ4,'~')||'|'||ifnull(Ответ5,'~')||'|'||"
    "ifnull(ОтветПр,'~')||':'||typeof(ОтветПр) from БДТест order by rowid");

} // namespace WriteScenarios
