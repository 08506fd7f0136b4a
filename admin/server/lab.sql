-- The lab server's part of a course: the course's settings, the server's bookkeeping of lab
-- computers (sessions, failed sign-ins, the attempts it drew) and the functions through which a
-- lab computer signs in, is dealt an attempt and submits it, with the teacher's live view of the
-- lab. Runs after course.sql and answers.sql; okulyk-admin upgrade runs it again on a course set
-- up by an earlier version, so every statement may run again. {teacher} and {lab} stand for the
-- two roles' quoted names.

-- The course's settings, a row each; a setting without a row has its default.
create table if not exists Настройки (
    Имя text not null unique,
    Значение text,
    rowid bigint generated always as identity primary key
);
-- A course set up before results carried their time gets the column; results stored before
-- have none.
alter table Тесты add column if not exists Время bigint;
alter table Тесты alter column Время set default extract(epoch from now())::bigint;

-- The server's own bookkeeping, read by no role but through the functions below.
-- Signed-in sessions of lab computers: the connection names its session in the setting
-- okulyk.session, and the functions take the login from there. The computer's name, address,
-- role and server process tell the teacher where the login is signed in now.
create table if not exists okulyk_sessions (
    token text primary key,
    login text not null,
    started timestamptz not null default now()
);
alter table okulyk_sessions add column if not exists computer text;
alter table okulyk_sessions add column if not exists client inet;
alter table okulyk_sessions add column if not exists role name;
alter table okulyk_sessions add column if not exists pid integer;
create index if not exists okulyk_sessions_started on okulyk_sessions (started);
-- Failed sign-ins of the last day, by login and computer. Those of the last minute hold passwords
-- back from being tried at machine speed; a correct password clears its login's count, not the
-- computer's.
create table if not exists okulyk_signin_failures (
    login text not null,
    at timestamptz not null default now()
);
alter table okulyk_signin_failures add column if not exists client inet;
alter table okulyk_signin_failures add column if not exists computer text;
alter table okulyk_signin_failures add column if not exists cleared boolean not null default false;
create index if not exists okulyk_signin_failures_login on okulyk_signin_failures (login, at);
create index if not exists okulyk_signin_failures_at on okulyk_signin_failures (at);
-- Every attempt stored from the teacher's computer by the name the program gave it: pressed again
-- after a lost connection, an attempt whose first commit went through is not stored twice.
create table if not exists okulyk_attempts (
    attempt text primary key,
    login text not null,
    score integer not null,
    stored timestamptz not null default now()
);
-- Every attempt the server dealt a lab computer: the bank rows under numbers 1..30, for whom, and
-- once submitted its score. Attempts never submitted are dropped after a day.
create table if not exists okulyk_drawn (
    attempt text primary key,
    login text not null,
    session text,
    drawn timestamptz not null default now(),
    rows bigint[] not null,
    score integer,
    submitted timestamptz
);
create index if not exists okulyk_drawn_login on okulyk_drawn (login, drawn);
create index if not exists okulyk_drawn_open on okulyk_drawn (drawn) where score is null;
-- What a sign-in decided, kept until the lab computer asks for it in a transaction of its own:
-- only a sign-in whose failure, if it failed, is stored for good has a verdict to give.
create table if not exists okulyk_signin_verdicts (
    nonce text primary key,
    verdict text not null,
    token text,
    at timestamptz not null default now()
);
-- When the server started the connection of a session, beside its process: a process number
-- used again by a later connection is not that session.
alter table okulyk_sessions add column if not exists connected timestamptz;

-- The value of a setting, or the default when it has no row.
create or replace function okulyk_setting(p_name text, p_default text) returns text
language sql stable security definer set search_path = public, pg_temp as $$
    select coalesce((select s.Значение from Настройки s where s.Имя = p_name), p_default)
$$;
-- A whole-number setting; a value that is none gives the default.
create or replace function okulyk_setting_number(p_name text, p_default integer) returns integer
language sql stable security definer set search_path = public, pg_temp as $$
    select case when v ~ '^\s*[0-9]{1,9}\s*$' then btrim(v)::integer else p_default end
    from (select okulyk_setting(p_name, '') as v) s
$$;

-- Refuses to give an answer in a transaction that has written anything: what the lab computer
-- learns (a verdict, a score) it learns only once what led to it is stored for good, so that
-- rolling the transaction back cannot undo a counted failure or try answers for free.
create or replace function okulyk_require_committed() returns void
language plpgsql volatile set search_path = public, pg_temp as $$
begin
    if pg_current_xact_id_if_assigned() is not null then
        raise exception using errcode = '25001',
            message = 'Ask in a transaction of its own, after the one that stored it has ended';
    end if;
end
$$;

-- When the server started this connection, where the function's owner may see it.
create or replace function okulyk_connection_start() returns timestamptz
language sql stable set search_path = public, pg_temp as $$
    select a.backend_start from pg_stat_activity a where a.pid = pg_backend_pid()
$$;

-- The login of the session this connection works in, or null.
create or replace function okulyk_current_login() returns text
language sql stable security definer set search_path = public, pg_temp as $$
    select s.login from okulyk_sessions s
    where s.token = nullif(current_setting('okulyk.session', true), '')
      and s.started > now() - interval '1 day'
$$;

-- A uniform whole number 0..n-1 from the server's strong random source: a client cannot seed it
-- (setseed) to choose its questions.
create or replace function okulyk_random_below(n integer) returns integer
language sql volatile set search_path = public, pg_temp as $$
    select (('x' || left(replace(gen_random_uuid()::text, '-', ''), 12))::bit(48)::bigint % n)::integer
$$;

-- The program's rule for drawing an attempt, as the test window and paper variants draw:
-- how_many positions 0..n-1 of the bank's row order, each a uniform pick with replacement; or,
-- with "30 different questions", distinct picks while the bank has enough, and otherwise rounds
-- of the whole bank, each in random order. An empty bank gives 0 everywhere.
create or replace function okulyk_draw_positions(n integer, different boolean,
                                                 how_many integer default 30)
returns integer[]
language plpgsql volatile set search_path = public, pg_temp as $$
declare
    picks integer[] := '{}';
    pick integer;
    round integer[];
begin
    if n <= 0 then
        return array_fill(0, array[how_many]);
    end if;
    if not different then
        for q in 1 .. how_many loop
            picks := picks || okulyk_random_below(n);
        end loop;
        return picks;
    end if;
    if n >= how_many then
        while cardinality(picks) < how_many loop
            pick := okulyk_random_below(n);
            if not (pick = any(picks)) then
                picks := picks || pick;
            end if;
        end loop;
        return picks;
    end if;
    while cardinality(picks) < how_many loop
        select array_agg(g order by gen_random_uuid()) into round from generate_series(0, n - 1) g;
        picks := picks || round[1 : how_many - cardinality(picks)];
    end loop;
    return picks;
end
$$;

-- Sign-in as the program does it: the first row with this login in table order decides, and
-- logins and passwords compare exactly. Failed tries of the last minute are limited per login,
-- per computer (its address) and for the whole server, by the course's settings. The verdict
-- is not returned: okulyk_sign_in_verdict gives it, in a transaction of its own, so that a
-- failure cannot be rolled back uncounted. On "accepted" this connection works in a new session.
drop function if exists okulyk_sign_in(text, text);
drop function if exists okulyk_sign_in(text, text, text);
create function okulyk_sign_in(p_login text, p_password text, p_computer text default '')
returns void
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    stored text;
    verdict text;
    token text;
    nonce text := replace(gen_random_uuid()::text, '-', '');
    here inet := inet_client_addr();
    computer_name text := left(coalesce(p_computer, ''), 63);
    again text := ' бір минутта тым көп рет сәтсіз болды. Бір минуттан кейін қайталап көріңіз';
begin
    if (select count(*) from okulyk_signin_failures f
        where f.login = coalesce(p_login, '') and not f.cleared
          and f.at > now() - interval '1 minute')
       >= okulyk_setting_number('signin_failures_per_login', 10) then
        raise exception using errcode = 'P0001',
            message = 'Бұл логинмен кіру әрекеті' || again;
    end if;
    if (select count(*) from okulyk_signin_failures f
        where f.at > now() - interval '1 minute'
          and (f.client = here or (here is null and f.client is null)))
       >= okulyk_setting_number('signin_failures_per_computer', 20) then
        raise exception using errcode = 'P0001',
            message = 'Бұл компьютерден кіру әрекеті' || again;
    end if;
    if (select count(*) from okulyk_signin_failures f where f.at > now() - interval '1 minute')
       >= okulyk_setting_number('signin_failures_per_server', 200) then
        raise exception using errcode = 'P0001',
            message = 'Серверге кіру әрекеті' || again;
    end if;
    select coalesce(u.Пароль, '') into stored from Пользователи u
    where coalesce(u.Логин, '') = coalesce(p_login, '')
    order by u.rowid limit 1;
    if not found then
        verdict := 'none';
    elsif stored = coalesce(p_password, '') then
        verdict := 'accepted';
    else
        verdict := 'wrong';
    end if;
    delete from okulyk_signin_verdicts v where v.at < now() - interval '1 minute';
    if verdict <> 'accepted' then
        delete from okulyk_signin_failures f where f.at < now() - interval '1 day';
        insert into okulyk_signin_failures (login, client, computer)
        values (coalesce(p_login, ''), here, computer_name);
        perform pg_notify('okulyk_lab', 'failure');
    else
        update okulyk_signin_failures f set cleared = true
        where f.login = p_login and not f.cleared;
        delete from okulyk_sessions s where s.started < now() - interval '1 day';
        token := replace(gen_random_uuid()::text, '-', '') ||
                 replace(gen_random_uuid()::text, '-', '');
        insert into okulyk_sessions (token, login, computer, client, role, pid, connected)
        values (token, p_login, computer_name, here, session_user, pg_backend_pid(),
                okulyk_connection_start());
        perform set_config('okulyk.session', token, false);
        perform pg_notify('okulyk_lab', 'signin');
    end if;
    insert into okulyk_signin_verdicts (nonce, verdict, token) values (nonce, verdict, token);
    perform set_config('okulyk.signin', nonce, false);
end
$$;

-- The verdict of this connection's last sign-in ("accepted" with the session's token, "none"
-- or "wrong"), once, in a transaction that has written nothing.
create or replace function okulyk_sign_in_verdict(out verdict text, out token text)
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    asked text := nullif(current_setting('okulyk.signin', true), '');
begin
    perform okulyk_require_committed();
    delete from okulyk_signin_verdicts v
    where v.nonce = asked and v.at > now() - interval '1 minute'
    returning v.verdict, v.token into verdict, token;
    perform set_config('okulyk.signin', '', false);
    if verdict is null then
        raise exception using errcode = 'P0001',
            message = 'Кіру әрекеті серверде сақталмады: қайталап көріңіз';
    end if;
end
$$;

-- A connection made anew (the server restarted, the network failed) goes on in its session;
-- false when the session has expired.
create or replace function okulyk_resume(p_token text) returns boolean
language plpgsql volatile security definer set search_path = public, pg_temp as $$
begin
    update okulyk_sessions s
    set client = inet_client_addr(), role = session_user, pid = pg_backend_pid(),
        connected = okulyk_connection_start()
    where s.token = p_token and s.started > now() - interval '1 day';
    if not found then
        return false;
    end if;
    perform set_config('okulyk.session', p_token, false);
    perform pg_notify('okulyk_lab', 'signin');
    return true;
end
$$;

-- Deals the signed-in session's login an attempt: 30 questions of the current bank by the
-- program's rule, remembered under a new attempt name, returned without their right answers, a
-- row per question number with its position in the bank's row order. An empty bank deals none.
create or replace function okulyk_draw()
returns table (drawn_attempt text, q_number integer, q_position integer, q_row bigint,
               bank_size integer, q_text text, a1 text, a2 text, a3 text, a4 text, a5 text)
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    who text := okulyk_current_login();
    ids bigint[];
    n integer;
    picks integer[];
    dealt bigint[];
    attempt_name text;
begin
    if who is null then
        raise exception using errcode = 'P0001',
            message = 'Бұл компьютердегі кіру сеансы табылмады немесе ескірді: бағдарламаны '
                      'қайта іске қосып, қайта кіріңіз. Тест басталмады';
    end if;
    delete from okulyk_drawn d where d.score is null and d.drawn < now() - interval '1 day';
    select array_agg(b.rowid order by b.rowid) into ids from БДТест b;
    n := coalesce(cardinality(ids), 0);
    if n = 0 then
        return;
    end if;
    picks := okulyk_draw_positions(n, okulyk_setting('different_questions', '0') = '1');
    select array_agg(ids[p + 1] order by o) into dealt from unnest(picks) with ordinality u(p, o);
    attempt_name := replace(gen_random_uuid()::text, '-', '');
    insert into okulyk_drawn (attempt, login, session, rows)
    values (attempt_name, who, current_setting('okulyk.session', true), dealt);
    perform pg_notify('okulyk_lab', 'draw');
    -- A question deleted since the bank was listed comes with empty texts, and scores nothing.
    return query
        select attempt_name, u.o::integer, picks[u.o], u.id, n,
               b.Вопрос, b.Ответ1, b.Ответ2, b.Ответ3, b.Ответ4, b.Ответ5
        from unnest(dealt) with ordinality u(id, o)
        left join БДТест b on b.rowid = u.id
        order by u.o;
end
$$;

-- Scores an attempt the server dealt to the signed-in session's login by the program's rule
-- (each of the 30 numbers counts; a right-answer value that is no whole number stops the scoring
-- with the program's message and stores nothing) and stores its row under the login with the
-- answer to each question. Only the attempt's name and the answers come from the lab computer.
-- The score is not returned: okulyk_score gives it once the result is stored for good, so that
-- answers cannot be tried in a transaction that is then rolled back. The same attempt submitted
-- again stores nothing more, also when both submits come at once (the second waits for the
-- first).
drop function if exists okulyk_submit(text, bigint[], integer[]);
drop function if exists okulyk_submit(text, integer[]);
create function okulyk_submit(p_attempt text, p_answers integer[])
returns void
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    who text := okulyk_current_login();
    dealt okulyk_drawn%rowtype;
    right_count integer := 0;
    stored text;
    answer integer;
    marks integer[] := array_fill(0, array[30]);
    result_id bigint;
    stamp bigint := extract(epoch from now())::bigint;
begin
    if who is null then
        raise exception using errcode = 'P0001',
            message = 'Бұл компьютердегі кіру сеансы табылмады немесе ескірді: бағдарламаны '
                      'қайта іске қосып, қайта кіріңіз. Нәтиже сақталмады';
    end if;
    if array_ndims(p_answers) is distinct from 1 or cardinality(p_answers) <> 30 then
        raise exception using errcode = '22023',
            message = 'Тест қабылданбады: онда 30 жауап болуы керек';
    end if;
    for q in 1 .. 30 loop
        answer := p_answers[q];
        if answer is null or answer < 1 or answer > 5 then
            raise exception using errcode = '22023',
                message = 'Тест қабылданбады: жауаптардың бірі A-дан E-ге дейінгі әріп емес';
        end if;
    end loop;
    select * into dealt from okulyk_drawn d where d.attempt = p_attempt for update;
    if not found then
        raise exception using errcode = '22023',
            message = 'Бұл тестті сервер бермеген немесе ол бір тәуліктен бұрын берілген: тестті '
                      'қайта бастаңыз. Нәтиже сақталмады';
    end if;
    if dealt.login <> who then
        raise exception using errcode = '22023',
            message = 'Бұл тест басқа логинге берілген: тестті қайта бастаңыз. Нәтиже сақталмады';
    end if;
    if dealt.score is not null then
        return;
    end if;
    for q in 1 .. 30 loop
        select b.ОтветПр into stored from БДТест b where b.rowid = dealt.rows[q];
        -- A question removed since the attempt was dealt cannot be answered right.
        continue when not found;
        stored := coalesce(stored, '');
        if stored !~ '^\s*[+-]?[0-9]+\s*$'
           or btrim(stored)::numeric not between -2147483648 and 2147483647 then
            raise exception using errcode = 'P0001',
                message = '''' || stored || ''' is not a valid integer value';
        end if;
        if btrim(stored)::integer = p_answers[q] then
            right_count := right_count + 1;
            marks[q] := 1;
        end if;
    end loop;
    insert into Тесты (Пользователь, Верно, Время) values (who, right_count, stamp)
    returning rowid into result_id;
    -- A course whose answers table was dropped stores the row of results alone.
    if to_regclass('Ответы') is not null then
        insert into Ответы (ТестИд, Номер, ВопросИд, Ответ, Верно, Время)
        select result_id, q, dealt.rows[q], p_answers[q], marks[q], stamp
        from generate_series(1, 30) q;
    end if;
    update okulyk_drawn d set score = right_count, submitted = now() where d.attempt = p_attempt;
end
$$;

-- The stored score of an attempt dealt to the session's login, in a transaction that has
-- written nothing.
create or replace function okulyk_score(p_attempt text) returns integer
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    who text := okulyk_current_login();
    dealt okulyk_drawn%rowtype;
begin
    perform okulyk_require_committed();
    select * into dealt from okulyk_drawn d where d.attempt = p_attempt;
    if who is null or not found or dealt.login <> who or dealt.score is null then
        raise exception using errcode = 'P0001',
            message = 'Бұл тесттің нәтижесі серверде сақталмаған: «Тест тапсыру» батырмасын '
                      'қайта басыңыз';
    end if;
    return dealt.score;
end
$$;

-- Any change of the results tells the teacher's live view to read the lab again. Notifications
-- name only what happened, never who: any role may listen.
create or replace function okulyk_results_changed() returns trigger
language plpgsql security definer set search_path = public, pg_temp as $$
begin
    perform pg_notify('okulyk_lab', 'result');
    return null;
end
$$;
drop trigger if exists okulyk_results_changed on Тесты;
create trigger okulyk_results_changed after insert or update or delete on Тесты
    for each statement execute function okulyk_results_changed();

-- The lab now, for the teacher's live view: every login signed in now on a lab computer (its
-- connection alive), or whose attempt was dealt or result stored since p_since; where, since
-- when, the attempt open (dealt, not submitted) and since when, and the last result since then.
create or replace function okulyk_lab_lesson(p_since timestamptz)
returns table (login text, grp text, computer text, signed_in timestamptz,
               working_since timestamptz, results integer, score integer, stored_at timestamptz)
language sql stable security definer set search_path = public, pg_temp as $$
    with live as (
        select distinct on (s.login) s.login, s.computer, s.client, s.started
        from (select distinct on (s.pid) s.* from okulyk_sessions s
              join pg_stat_activity a
                on a.pid = s.pid and a.datname = current_database() and a.usename = s.role
               and a.backend_start is not distinct from s.connected
              where s.started > now() - interval '1 day'
              order by s.pid, s.started desc) s
        order by s.login, s.started desc
    ),
    dealt as (
        select distinct on (d.login) d.login, d.drawn, d.score
        from okulyk_drawn d where d.drawn >= p_since
        order by d.login, d.drawn desc
    ),
    done as (
        select t.Пользователь as login, count(*)::integer as results,
               (array_agg(t.Верно order by t.rowid desc))[1] as score,
               to_timestamp(max(t.Время)) as stored_at
        from Тесты t
        where t.Время >= extract(epoch from p_since)
        group by t.Пользователь
    ),
    everyone as (
        select l.login from live l union select d.login from dealt d
        union select r.login from done r
    )
    select e.login,
           (select u.Группа from Пользователи u where u.Логин = e.login order by u.rowid limit 1),
           coalesce(nullif(l.computer, ''), host(l.client)), l.started,
           case when d.score is null then d.drawn end, r.results, r.score, r.stored_at
    from everyone e
    left join live l on l.login = e.login
    left join dealt d on d.login = e.login
    left join done r on r.login = e.login
$$;
-- Failed sign-ins since p_since per lab computer (its address, and the name it last gave).
create or replace function okulyk_lab_failures(p_since timestamptz)
returns table (computer text, failures integer, last_at timestamptz)
language sql stable security definer set search_path = public, pg_temp as $$
    select coalesce(nullif((array_agg(f.computer order by f.at desc))[1], ''),
                    host(f.client), 'localhost'),
           count(*)::integer, max(f.at)
    from okulyk_signin_failures f
    where f.at >= p_since
    group by f.client
    order by count(*) desc, max(f.at) desc
$$;

-- Each lab computer reads the results of its signed-in login only, and only in a transaction
-- that has written nothing: not the result of a submit it could still roll back.
drop policy if exists okulyk_lab_results on Тесты;
create policy okulyk_lab_results on Тесты for select to {lab}
    using (Пользователь = okulyk_current_login() and pg_current_xact_id_if_assigned() is null);

revoke all on function okulyk_setting(text, text), okulyk_setting_number(text, integer),
    okulyk_require_committed(), okulyk_connection_start(), okulyk_current_login(),
    okulyk_random_below(integer), okulyk_draw_positions(integer, boolean, integer),
    okulyk_sign_in(text, text, text), okulyk_sign_in_verdict(), okulyk_resume(text),
    okulyk_draw(), okulyk_submit(text, integer[]), okulyk_score(text),
    okulyk_results_changed(), okulyk_lab_lesson(timestamptz), okulyk_lab_failures(timestamptz)
    from public;
grant execute on function okulyk_current_login(), okulyk_sign_in(text, text, text),
    okulyk_sign_in_verdict(), okulyk_resume(text), okulyk_draw(), okulyk_submit(text, integer[]),
    okulyk_score(text) to {lab};
grant execute on function okulyk_lab_lesson(timestamptz), okulyk_lab_failures(timestamptz)
    to {teacher};
grant select, insert, update, delete on Настройки to {teacher};
grant usage, update on sequence "Настройки_rowid_seq" to {teacher};
grant select, insert on okulyk_attempts to {teacher};
