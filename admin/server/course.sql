-- A course on the server, made by okulyk-admin server-init in an empty database, as its owner.
-- The tables have the program's columns, then a last column rowid: "order by rowid" then runs
-- as on the file, and "select *" keeps the program's columns first. The searched titles fold
-- letter case by the ICU Kazakh collation, whatever locale the server was installed with.
-- {teacher} and {lab} stand for the two roles' quoted names. The answers table follows in
-- answers.sql, the lab's bookkeeping and functions in lab.sql.

create table БДТест (
    Вопрос text collate "kk-KZ-x-icu",
    Ответ1 text,
    Ответ2 text,
    Ответ3 text,
    Ответ4 text,
    Ответ5 text,
    -- Kept as text: the program converts it when a test is scored and reports a value that is
    -- no whole number, as it does on the file.
    ОтветПр text,
    rowid bigint generated always as identity primary key
);
create table Пользователи (
    Логин text,
    Пароль text,
    Группа text,
    rowid bigint generated always as identity primary key
);
create table Тесты (
    Пользователь text,
    Верно integer,
    -- When the attempt was stored, in seconds since 1970-01-01 UTC.
    Время bigint default extract(epoch from now())::bigint,
    rowid bigint generated always as identity primary key
);
create table Лекции (
    НазваниеЛекции text collate "kk-KZ-x-icu",
    АдресЛекции text,
    rowid bigint generated always as identity primary key
);
create table Лабы (
    НазваниеЛабы text collate "kk-KZ-x-icu",
    АдресЛабы text,
    rowid bigint generated always as identity primary key
);
create table Видео (
    НазваниеВидео text collate "kk-KZ-x-icu",
    АдресВидео text,
    rowid bigint generated always as identity primary key
);

-- Who may do what. The teacher's role: everything on the course. The lab role: read titles,
-- questions without their right answers, logins and groups without passwords, and the
-- results of the signed-in session's own login; write nothing but through lab.sql's functions.
grant select, insert, update, delete on БДТест, Пользователи, Тесты, Лекции, Лабы, Видео
    to {teacher};
-- The row numbering too: a course copied in from a file keeps its row ids, and the numbering
-- then moves on past them.
grant usage, update on sequence "БДТест_rowid_seq", "Пользователи_rowid_seq", "Тесты_rowid_seq",
    "Лекции_rowid_seq", "Лабы_rowid_seq", "Видео_rowid_seq" to {teacher};
grant select (Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, rowid) on БДТест to {lab};
grant select (Логин, Группа, rowid) on Пользователи to {lab};
grant select on Тесты, Лекции, Лабы, Видео to {lab};

-- Each lab computer reads the results of its signed-in login only (the policy is in lab.sql).
alter table Тесты enable row level security;
create policy okulyk_teacher_results on Тесты to {teacher} using (true) with check (true);
