-- A course on the server, made by okulyk-admin server-init in an empty database, as its owner.
-- The tables have the program's columns, then a last column rowid: "order by rowid" then runs
-- as on the file, and "select *" keeps the program's columns first. The searched titles fold
-- letter case by the ICU Kazakh collation, whatever locale the server was installed with.
-- {teacher} and {lab} stand for the two roles' quoted names. The answers table and the scoring
-- function follow in answers.sql.

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

-- The server's own bookkeeping, read by no role but through the functions below.
-- Signed-in sessions of lab computers: the connection names its session in the setting
-- okulyk.session, and the functions take the login from there.
create table okulyk_sessions (
    token text primary key,
    login text not null,
    started timestamptz not null default now()
);
-- Failed sign-ins of the last minute, per login: passwords cannot be tried at machine speed.
create table okulyk_signin_failures (
    login text not null,
    at timestamptz not null default now()
);
create index okulyk_signin_failures_login on okulyk_signin_failures (login, at);
-- Every stored attempt by the name the program gave it: pressed again after a lost
-- connection, an attempt whose first commit went through is not stored twice.
create table okulyk_attempts (
    attempt text primary key,
    login text not null,
    score integer not null,
    stored timestamptz not null default now()
);

-- The login of the session this connection works in, or null.
create function okulyk_current_login() returns text
language sql stable security definer set search_path = public, pg_temp as $$
    select s.login from okulyk_sessions s
    where s.token = nullif(current_setting('okulyk.session', true), '')
      and s.started > now() - interval '1 day'
$$;

-- Sign-in as the program does it: the first row with this login in table order decides, and
-- logins and passwords compare exactly. The verdict is "accepted" (with the session token, which
-- this connection now works in), "none" (no such login) or "wrong" (another password).
create function okulyk_sign_in(p_login text, p_password text, out verdict text, out token text)
language plpgsql volatile security definer set search_path = public, pg_temp as $$
declare
    stored text;
    failures integer;
begin
    delete from okulyk_signin_failures where at < now() - interval '1 minute';
    select count(*) into failures from okulyk_signin_failures f where f.login = p_login;
    if failures >= 10 then
        raise exception using
            errcode = 'P0001',
            message = 'Бұл логинмен кіру әрекеті бір минутта тым көп рет сәтсіз болды. '
                      'Бір минуттан кейін қайталап көріңіз';
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
    if verdict <> 'accepted' then
        insert into okulyk_signin_failures (login) values (coalesce(p_login, ''));
        return;
    end if;
    delete from okulyk_signin_failures f where f.login = p_login;
    delete from okulyk_sessions s where s.started < now() - interval '1 day';
    token := replace(gen_random_uuid()::text, '-', '') || replace(gen_random_uuid()::text, '-', '');
    insert into okulyk_sessions (token, login) values (token, p_login);
    perform set_config('okulyk.session', token, false);
end
$$;

-- Who may do what. The teacher's role: everything on the course. The lab role: read titles,
-- questions without their right answers, logins and groups without passwords, and the
-- results of the signed-in session's own login; write nothing but through the functions.
revoke all on function okulyk_current_login(), okulyk_sign_in(text, text) from public;
grant select, insert, update, delete on БДТест, Пользователи, Тесты, Лекции, Лабы, Видео
    to {teacher};
grant select, insert on okulyk_attempts to {teacher};
-- The row numbering too: a course copied in from a file keeps its row ids, and the numbering
-- then moves on past them.
grant usage, update on sequence "БДТест_rowid_seq", "Пользователи_rowid_seq", "Тесты_rowid_seq",
    "Лекции_rowid_seq", "Лабы_rowid_seq", "Видео_rowid_seq" to {teacher};
grant select (Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, rowid) on БДТест to {lab};
grant select (Логин, Группа, rowid) on Пользователи to {lab};
grant select on Тесты, Лекции, Лабы, Видео to {lab};
grant execute on function okulyk_current_login(), okulyk_sign_in(text, text) to {lab};

alter table Тесты enable row level security;
create policy okulyk_teacher_results on Тесты to {teacher} using (true) with check (true);
create policy okulyk_lab_results on Тесты for select to {lab}
    using (Пользователь = okulyk_current_login());
