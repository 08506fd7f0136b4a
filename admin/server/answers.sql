-- Every answer of an attempt, beside its row of results: for item analysis. Part of a course
-- from its set-up; added to a course set up before by okulyk-admin upgrade, which runs this
-- script again where the table or its time column is missing: every statement may run again.
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

-- Scores an attempt of the signed-in session by the program's rule (each of the 30 numbers
-- counts; a right-answer value that is no whole number stops the scoring with the program's
-- message and stores nothing), stores its row under the session's login with the answer to
-- each question, and returns the score.
-- The same attempt submitted again returns its stored score and stores nothing more.
create or replace function okulyk_submit(p_attempt text, p_rows bigint[], p_answers integer[])
returns integer
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    who text := okulyk_current_login();
    prior okulyk_attempts%rowtype;
    score integer := 0;
    stored text;
    answer integer;
    marks integer[] := array_fill(0, array[30]);
    result_id bigint;
begin
    if who is null then
        raise exception using errcode = 'P0001',
            message = 'Бұл компьютердегі кіру сеансы табылмады немесе ескірді: бағдарламаны '
                      'қайта іске қосып, қайта кіріңіз. Нәтиже сақталмады';
    end if;
    if p_attempt is null or length(p_attempt) not between 1 and 64
       or array_ndims(p_rows) is distinct from 1 or cardinality(p_rows) <> 30
       or array_ndims(p_answers) is distinct from 1 or cardinality(p_answers) <> 30 then
        raise exception using errcode = '22023',
            message = 'The attempt is refused: it must name 30 drawn questions and 30 answers';
    end if;
    select * into prior from okulyk_attempts a where a.attempt = p_attempt;
    if found then
        if prior.login <> who then
            raise exception using errcode = '22023',
                message = 'The attempt is refused: it was stored for another login';
        end if;
        return prior.score;
    end if;
    for q in 1 .. 30 loop
        answer := p_answers[q];
        if answer is null or answer < 1 or answer > 5 then
            raise exception using errcode = '22023',
                message = 'The attempt is refused: an answer is not a letter from A to E';
        end if;
        select b.ОтветПр into stored from БДТест b where b.rowid = p_rows[q];
        -- A question removed since the attempt was drawn cannot be answered right.
        continue when not found;
        stored := coalesce(stored, '');
        if stored !~ '^\s*[+-]?[0-9]+\s*$'
           or btrim(stored)::numeric not between -2147483648 and 2147483647 then
            raise exception using errcode = 'P0001',
                message = '''' || stored || ''' is not a valid integer value';
        end if;
        if btrim(stored)::integer = answer then
            score := score + 1;
            marks[q] := 1;
        end if;
    end loop;
    insert into Тесты (Пользователь, Верно) values (who, score) returning rowid into result_id;
    -- A course whose answers table was dropped stores the row of results alone.
    if to_regclass('Ответы') is not null then
        insert into Ответы (ТестИд, Номер, ВопросИд, Ответ, Верно, Время)
        select result_id, q, p_rows[q], p_answers[q], marks[q], extract(epoch from now())::bigint
        from generate_series(1, 30) q;
    end if;
    insert into okulyk_attempts (attempt, login, score) values (p_attempt, who, score);
    return score;
end
$$;

-- The teacher's role reads and keeps them; lab computers write them through the function only.
grant select, insert, update, delete on Ответы to {teacher};
grant usage, update on sequence "Ответы_rowid_seq" to {teacher};
revoke all on function okulyk_submit(text, bigint[], integer[]) from public;
grant execute on function okulyk_submit(text, bigint[], integer[]) to {lab};
