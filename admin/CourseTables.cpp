#include "CourseTables.h"

namespace CourseTables {

namespace {

const QString kText = QStringLiteral("TEXT");
const QString kInteger = QStringLiteral("INTEGER");
const QString kKey = QStringLiteral("Код");

Table material(const QString& name, const QString& title, const QString& address)
{
    return {name, {{kKey, kInteger, true}, {title, kText}, {address, kText}}, {}};
}

} // namespace

const QList<Table>& all()
{
    static const QList<Table> tables = {
        {QStringLiteral("БДТест"),
         {{kKey, kInteger, true},
          {QStringLiteral("Вопрос"), kText},
          {QStringLiteral("Ответ1"), kText},
          {QStringLiteral("Ответ2"), kText},
          {QStringLiteral("Ответ3"), kText},
          {QStringLiteral("Ответ4"), kText},
          {QStringLiteral("Ответ5"), kText},
          {QStringLiteral("ОтветПр"), kInteger}},
         QStringLiteral("БДТестКод")},
        {QStringLiteral("Пользователи"),
         {{kKey, kInteger, true},
          {QStringLiteral("Логин"), kText},
          {QStringLiteral("Пароль"), kText},
          {QStringLiteral("Группа"), kText}},
         {}},
        {QStringLiteral("Тесты"),
         {{QStringLiteral("Пользователь"), kText}, {QStringLiteral("Верно"), kInteger}},
         {}},
        material(QStringLiteral("Лекции"), QStringLiteral("НазваниеЛекции"),
                 QStringLiteral("АдресЛекции")),
        material(QStringLiteral("Лабы"), QStringLiteral("НазваниеЛабы"),
                 QStringLiteral("АдресЛабы")),
        material(QStringLiteral("Видео"), QStringLiteral("НазваниеВидео"),
                 QStringLiteral("АдресВидео")),
    };
    return tables;
}

const Table* find(const QString& name)
{
    for (const Table& table : all()) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    }
    return nullptr;
}

} // namespace CourseTables
