-- The course database. Every table is a plain rowid table, so that a full scan returns rows in
-- the same (rowid) order to every single-column query of a table. The one secondary index is on
-- the question bank's row id itself: listing the ids (to draw a test) then reads the small index
-- instead of every question's text, and any scan of it is in rowid order too. An index on any
-- other column could let a single-column query return rows in that column's order: add none.
CREATE TABLE БДТест (
    Код INTEGER PRIMARY KEY,
    Вопрос TEXT,
    Ответ1 TEXT,
    Ответ2 TEXT,
    Ответ3 TEXT,
    Ответ4 TEXT,
    Ответ5 TEXT,
    ОтветПр INTEGER
);
CREATE INDEX БДТестКод ON БДТест(Код);
CREATE TABLE Пользователи (
    Код INTEGER PRIMARY KEY,
    Логин TEXT,
    Пароль TEXT,
    Группа TEXT
);
-- Results keep their identity in the hidden rowid, so the results grid shows just these, with
-- the time each was stored (seconds since 1970-01-01 UTC) for the administrator.
CREATE TABLE Тесты (
    Пользователь TEXT,
    Верно INTEGER,
    Время INTEGER
);
CREATE TABLE Лекции (
    Код INTEGER PRIMARY KEY,
    НазваниеЛекции TEXT,
    АдресЛекции TEXT
);
CREATE TABLE Лабы (
    Код INTEGER PRIMARY KEY,
    НазваниеЛабы TEXT,
    АдресЛабы TEXT
);
CREATE TABLE Видео (
    Код INTEGER PRIMARY KEY,
    НазваниеВидео TEXT,
    АдресВидео TEXT
);
-- Every answer of an attempt, for item analysis: the Тесты row it belongs to, the question
-- number 1..30, the bank row drawn under it, the answer chosen 1..5, 1 when it was right, and
-- when the attempt was stored (seconds since 1970-01-01 UTC), so that a term can be analysed alone.
CREATE TABLE Ответы (
    ТестИд INTEGER,
    Номер INTEGER,
    ВопросИд INTEGER,
    Ответ INTEGER,
    Верно INTEGER,
    Время INTEGER
);
-- The course's settings, a row each ("different_questions" = "1": an attempt's 30 questions are
-- all different); a setting without a row has its default.
CREATE TABLE Настройки (
    Имя TEXT PRIMARY KEY,
    Значение TEXT
);
