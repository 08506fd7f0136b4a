#pragma once

// Brings a course made by an earlier version up to date, on the shared connection: the table
// Ответы, which keeps every answer of an attempt (on a server course also the scoring function
// that fills it), in one transaction. The program itself never changes a course's tables.
namespace CourseUpgrade {

// Returns false when the course has everything already (nothing is then changed). Throws
// AppError; the course is then as it was.
bool run();

} // namespace CourseUpgrade
