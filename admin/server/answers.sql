-- Every answer of an attempt, beside its row of results: for item analysis. Part of a course
-- from its set-up; added to a course set up before by okulyk-admin upgrade, which runs this
-- script again: every statement may run again.
-- {teacher} and {lab} stand for the roles.

create table if not exists Ответы (
    -- The Тесты row of the attempt, the question number 1..30, the bank row drawn under it,
    -- the answer chosen 1..5, 1 when it was right, else 0, and when the attempt was stored
    -- (seconds since 1970-01-01 UTC).
    ТестИд bigint,
    Номер integer,
    ВопросИд bigint,
    Ответ integer,
    Верно integer,
    Время bigint,
    rowid bigint generated always as identity primary key
);
-- A table made before answers carried their time gets the column.
alter table Ответы add column if not exists Время bigint;
create index if not exists Ответы_ТестИд on Ответы (ТестИд);

-- The teacher's role reads and keeps them; lab computers write them through okulyk_submit only.
grant select, insert, update, delete on Ответы to {teacher};
grant usage, update on sequence "Ответы_rowid_seq" to {teacher};
