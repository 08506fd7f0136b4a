#pragma once

// Brings a course made by an earlier version up to date, on the shared connection: the table
// Ответы, which keeps every answer of an attempt (on a server course also the scoring function
// that fills it), in one transaction. The program itself never changes a course's tables.
namespace CourseUpgrade {

enum class Change {
    None,       // the course has everything already; nothing was changed
    TableAdded, // the table Ответы
    TimeAdded,  // the time of each answer, to a table made by an earlier build
};

// Throws AppError; the course is then as it was.
Change run();

} // namespace CourseUpgrade
