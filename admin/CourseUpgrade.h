#pragma once

#include <QStringList>

// Brings a course made by an earlier version up to date, on the shared connection, in one
// transaction: the table Ответы, which keeps every answer of an attempt, with the time of each;
// the time of each result in Тесты; the course's settings (Настройки); on a server course also
// the lab's functions (the server deals each attempt, limits failed sign-ins per computer, feeds
// the teacher's live view). The program itself never changes a course's tables.
namespace CourseUpgrade {

// What was added, a line each; empty when the course had everything. Throws AppError; the
// course is then as it was.
QStringList run();

} // namespace CourseUpgrade
