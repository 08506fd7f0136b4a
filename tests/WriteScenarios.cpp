#include "WriteScenarios.h"

namespace WriteScenarios {

namespace {

QString literal(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString number(int n)
{
    return QString::number(n);
}

User addedUser(int n)
{
    if (n % 4 == 0)
        return {QStringLiteral("қолданушы-%1 'O\"Нил' 50%_;--").arg(n),
                QStringLiteral("пароль_%1;--'\"").arg(n), QStringLiteral("ИС-%1 «топ»").arg(n)};
    return {QStringLiteral("пользователь %1 \"Иванов\"").arg(n), QStringLiteral("%%1").arg(n),
            QString()};
}

QString administratorPasswordAfter(int n)
{
    return n < 3 ? kAdministratorPassword : QStringLiteral("Жаңа'пароль\"%1%").arg(n / 4 * 4 + 3);
}

Material addedMaterial(int n)
{
    const int kind = 1 + (n / 3) % 3;
    const QString extension = kind == 3 ? QStringLiteral("avi") : QStringLiteral("html");
    return {kind, QStringLiteral("Дәріс «%1» 'а' \"б\" 50%_").arg(n),
            QStringLiteral("/курс/материал_%1/файл 'x' \"%1\";--.%2").arg(number(n), extension)};
}

Question question(const QString& stem, int n, int right)
{
    QStringList fields = {
        QStringLiteral("%1 %2: 'жақша' \"тырнақша\" 100%_;--\nекінші жол").arg(stem, number(n))};
    const QStringList letters = {QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В"),
                                 QStringLiteral("Г"), QStringLiteral("Д")};
    for (const QString& letter : letters)
        fields << QStringLiteral("Жауап %1 %2 'ә'").arg(letter, number(n));
    return {fields, right};
}

} // namespace

QString name(Scenario scenario)
{
    switch (scenario) {
    case Scenario::Results:
        return QStringLiteral("results");
    case Scenario::Users:
        return QStringLiteral("users");
    case Scenario::Materials:
        return QStringLiteral("materials");
    case Scenario::Questions:
        return QStringLiteral("questions");
    }
    return {};
}

std::optional<Scenario> fromName(const QString& text)
{
    for (const Scenario scenario :
         {Scenario::Results, Scenario::Users, Scenario::Materials, Scenario::Questions}) {
        if (name(scenario) == text)
            return scenario;
    }
    return std::nullopt;
}

QList<User> seedUsers()
{
    return {{QStringLiteral("Chief"), kAdministratorPassword, QStringLiteral("Әкімші")},
            {QStringLiteral("aigerim"), QStringLiteral("12345"), QStringLiteral("ИС-21")},
            {QStringLiteral("O'Brien"), QStringLiteral("q"), QString()}};
}

QList<Material> seedMaterials()
{
    QList<Material> materials;
    for (int kind = 1; kind <= 3; ++kind) {
        for (int i = 1; i <= 2; ++i)
            materials << Material{kind, QStringLiteral("Негізгі %1.%2").arg(kind).arg(i),
                                  QStringLiteral("/курс/негізгі/%1_%2").arg(kind).arg(i)};
    }
    return materials;
}

QList<Question> seedQuestions()
{
    QList<Question> questions;
    for (int i = 1; i <= kSeedQuestions; ++i)
        questions << question(QStringLiteral("Бастапқы"), i, 1 + i % 5);
    return questions;
}

QString seedSql()
{
    QString sql;
    for (const User& user : seedUsers())
        sql += QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) values(%1,%2,%3);")
                   .arg(literal(user.login), literal(user.password), literal(user.group));
    const QStringList tables = {QStringLiteral("Лекции(НазваниеЛекции,АдресЛекции)"),
                                QStringLiteral("Лабы(НазваниеЛабы,АдресЛабы)"),
                                QStringLiteral("Видео(НазваниеВидео,АдресВидео)")};
    for (const Material& material : seedMaterials())
        sql += QStringLiteral("insert into %1 values(%2,%3);")
                   .arg(tables[material.kind - 1], literal(material.title), literal(material.path));
    for (const Question& q : seedQuestions()) {
        QStringList values;
        for (const QString& field : q.fields)
            values << literal(field);
        sql += QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                              "ОтветПр) values(%1,%2);")
                   .arg(values.join(QLatin1Char(',')), number(q.right));
    }
    return sql;
}

Change change(Scenario scenario, int n)
{
    Change step;
    switch (scenario) {
    case Scenario::Results:
        step.kind = Change::Kind::StoreResult;
        step.login = QStringLiteral("оқушы_%1 'Әлия' \"%\";--").arg(n);
        break;
    case Scenario::Users:
        switch (n % 4) {
        case 0:
        case 1:
            step.kind = Change::Kind::AddUser;
            step.user = addedUser(n);
            break;
        case 2:
            step.kind = Change::Kind::RemoveUser;
            step.user = addedUser(n - 2);
            break;
        default:
            step.kind = Change::Kind::ChangePassword;
            step.oldPassword = administratorPasswordAfter(n - 4);
            step.newPassword = administratorPasswordAfter(n);
        }
        break;
    case Scenario::Materials:
        if (n % 3 == 2) {
            step.kind = Change::Kind::RemoveMaterial;
            step.material = addedMaterial(n - 2);
        } else {
            step.kind = Change::Kind::AddMaterial;
            step.material = addedMaterial(n);
        }
        break;
    case Scenario::Questions:
        if (n % 2 == 0) {
            step.kind = Change::Kind::InsertQuestion;
            step.question = question(QStringLiteral("Сұрақ"), n, 1 + n % 5);
        } else {
            step.kind = Change::Kind::EditQuestion;
            step.question = question(QStringLiteral("Өзгертілген"), n, 1 + (n + 2) % 5);
            step.position = (n * 7) % kSeedQuestions;
        }
        break;
    }
    return step;
}

QList<Question> importedQuestions(int count)
{
    QList<Question> questions;
    for (int i = 1; i <= count; ++i) {
        QStringList fields = {QStringLiteral("Импорт %1: «тырнақша» 'a' \"b\" 50%_;--").arg(i)};
        for (int option = 1; option <= 5; ++option)
            fields << QStringLiteral("Нұсқа %1.%2 'ә' %").arg(i).arg(option);
        questions << Question{fields, 1 + (i * 3) % 5};
    }
    return questions;
}

QString aikenText(const QList<Question>& questions)
{
    QString text;
    for (const Question& q : questions) {
        text += q.fields[0] + QLatin1Char('\n');
        for (int option = 1; option <= 5; ++option)
            text += QStringLiteral("%1) %2\n").arg(QChar(u'A' + option - 1)).arg(q.fields[option]);
        text += QStringLiteral("ANSWER: %1\n\n").arg(QChar(u'A' + q.right - 1));
    }
    return text;
}

QString bankRow(const Question& question)
{
    return question.fields.join(QLatin1Char('|')) +
           QStringLiteral("|%1:integer").arg(question.right);
}

} // namespace WriteScenarios
