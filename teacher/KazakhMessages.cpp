#include "KazakhMessages.h"

#include <QList>
#include <QRegularExpression>

namespace KazakhMessages {

namespace {

struct Shape {
    QRegularExpression english;
    QString kazakh; // %1.. stand for the captures, each put into Kazakh in its turn
};

Shape shape(const char* english, const char* kazakh)
{
    return {QRegularExpression(QStringLiteral("^(?:%1)$").arg(QString::fromUtf8(english)),
                               QRegularExpression::DotMatchesEverythingOption),
            QString::fromUtf8(kazakh)};
}

// Most specific first: the first shape that matches the whole message is used.
const QList<Shape>& catalogue()
{
    static const QList<Shape> shapes = {
        // Question files: why a question is skipped.
        shape("an ANSWER: line with no question before it", "алдында сұрағы жоқ ANSWER: жолы"),
        shape("the file ends before this question's ANSWER: line",
              "файл осы сұрақтың ANSWER: жолына жетпей аяқталады"),
        shape("no ANSWER: line before line (\\d+), where the option letter (.+) comes again",
              "%2 нұсқа әрпі қайта келетін %1-жолдың алдында ANSWER: жолы жоқ"),
        shape("the question has no text", "сұрақтың мәтіні жоқ"),
        shape("the question has (\\d+) (?:options|variants); the bank holds questions with "
              "exactly 5",
              "сұрақтың %1 нұсқасы бар; банк тек 5 нұсқалы сұрақтарды сақтайды"),
        shape("the question has (\\d+) answers; the bank holds questions with exactly 5",
              "сұрақтың %1 жауабы бар; банк тек 5 жауапты сұрақтарды сақтайды"),
        shape("the question has (\\d+) right answers; the bank holds questions with one",
              "сұрақтың %1 дұрыс жауабы бар; банкте бір ғана дұрыс жауап болады"),
        shape("the ANSWER: line names no letter", "ANSWER: жолында әріп жоқ"),
        shape("the answer \"(.*)\" is not one letter; the bank holds questions with one right "
              "answer",
              "«%1» жауабы бір әріп емес; банкте бір ғана дұрыс жауап болады"),
        shape("(?:option|variant) (\\d+) has no text", "%1-нұсқаның мәтіні жоқ"),
        shape("answer (\\d+) has no text", "%1-жауаптың мәтіні жоқ"),
        shape("an essay question \\(no answers\\)", "эссе сұрағы (жауаптары жоқ)"),
        shape("a numerical question", "сандық жауапты сұрақ"),
        shape("a true/false question", "«ақиқат/жалған» сұрағы"),
        shape("a matching question", "сәйкестендіру сұрағы"),
        shape("a short-answer question \\(every answer is right\\)",
              "қысқа жауапты сұрақ (әр жауап дұрыс)"),
        shape("the answers do not begin with = or ~", "жауаптар = немесе ~ белгісінен басталмайды"),
        shape("an answer gives partial credit \\((.*)%\\)", "бір жауап ішінара ұпай береді (%1%)"),
        shape("the title has no closing ::", "тақырыптың жабатын :: белгісі жоқ"),
        shape("no answers in \\{ \\} \\(a description, not a question\\)",
              "{ } ішінде жауап жоқ (бұл сұрақ емес, сипаттама)"),
        shape("the answers are not closed with \\}", "жауаптар } белгісімен жабылмаған"),
        shape("text follows the answers \\(a missing-word question\\)",
              "жауаптардан кейін мәтін бар (бос орынды толтыру сұрағы)"),
        shape("(\\d+) variants are marked <variantright>; a question has one right answer",
              "%1 нұсқа <variantright> деп белгіленген; сұрақтың бір ғана дұрыс жауабы болады"),
        shape("text before the first <question> line is left out",
              "бірінші <question> жолының алдындағы мәтін алынбайды"),
        shape("there are no options", "нұсқалар жоқ"),
        shape("the option letters (.+) mix Latin and Cyrillic letters",
              "%1 нұсқа әріптерінде латын және кирилл әріптері араласқан"),
        shape("the option letters (.+) could be read as (.+) or as (.+)",
              "%1 нұсқа әріптерін %2 деп те, %3 деп те оқуға болады"),
        shape("the option letters (.+) are not A B C D E, А В С Д Е or А Б В Г Д in order",
              "%1 нұсқа әріптері ретімен A B C D E, А В С Д Е немесе А Б В Г Д емес"),
        shape("the answer letter (.+) is (.+) but the options are (.+)",
              "жауап әрпі %1 — %2, ал нұсқалар — %3"),
        shape("the answer letter (.+) is not one of the options' letters \\((.+)\\)",
              "жауап әрпі %1 нұсқалардың әріптерінің бірі емес (%2)"),
        shape("Latin (.+)", "латынша %1"),
        shape("Cyrillic (.+)", "кириллше %1"),
        shape("a multiple-answer question \\(several answers may be chosen\\); the bank holds "
              "questions with one right answer",
              "бірнеше жауап таңдалатын сұрақ; банкте бір ғана дұрыс жауап болады"),
        shape("answer (\\d+) is worth (.+) %, which the bank cannot hold \\(an answer is right or "
              "wrong\\)",
              "%1-жауап %2 % тұрады, банкте жауап не дұрыс, не қате болады"),
        shape("no answer is worth 100 %", "100 % тұратын жауап жоқ"),
        shape("(\\d+) answers are worth 100 %; the bank holds questions with one right answer",
              "%1 жауап 100 % тұрады; банкте бір ғана дұрыс жауап болады"),
        shape("a question without a type", "түрі көрсетілмеген сұрақ"),
        shape("a \"(.+)\" question; the bank holds single-answer multiple choice",
              "«%1» түріндегі сұрақ; банк бір дұрыс жауапты тест сұрақтарын сақтайды"),
        shape("the question's image is left out", "сұрақтағы сурет алынбайды"),
        shape("the image of answer (\\d+) is left out", "%1-жауаптағы сурет алынбайды"),
        shape("the file is not well-formed XML \\((.*)\\); the rest of it is left out",
              "файл дұрыс XML емес (%1); қалғаны алынбайды"),
        shape("the file holds no <question>", "файлда <question> жоқ"),
        // Reading a file.
        shape("byte 0x(\\w+) is not valid UTF-8", "0x%1 байты дұрыс UTF-8 емес"),
        shape("the file ends in the middle of a UTF-16 character",
              "файл UTF-16 таңбасының ортасында аяқталады"),
        shape("a UTF-16 surrogate stands unpaired", "UTF-16 суррогаты жұпсыз тұр"),
        shape("byte 0x(\\w+) is not a Windows-1251 character",
              "0x%1 байты Windows-1251 таңбасы емес"),
        shape("the file is in UTF-32; save it as UTF-8 or UTF-16",
              "файл UTF-32 кодтауында; оны UTF-8 немесе UTF-16 ретінде сақтаңыз"),
        shape("the text holds NUL characters", "мәтінде NUL таңбалары бар"),
        shape("the text holds NUL bytes;.*",
              "мәтінде NUL байттары бар; файлды UTF-8 кодтауымен қайта сақтаңыз"),
        shape("the file is not a readable zip \\((.*)\\)", "файл оқылатын zip емес (%1)"),
        shape("(\\S+) in it is damaged", "ішіндегі %1 бүлінген"),
        shape("(\\S+) in it cannot be read", "ішіндегі %1 оқылмайды"),
        shape("not a Word document: word/document.xml is missing",
              "бұл Word құжаты емес: word/document.xml жоқ"),
        shape("the Word document cannot be read: (.*)", "Word құжаты оқылмайды: %1"),
        shape("the Word document is damaged \\((.*) at line (\\d+) of its XML\\)",
              "Word құжаты бүлінген (XML-дің %2-жолында: %1)"),
        shape("an old Word file \\(\\.doc\\): LibreOffice is needed.*",
              "ескі Word файлы (.doc): оны оқу үшін LibreOffice керек, ол орнатылмаған; файлды "
              "Word-та .docx ретінде сақтаңыз немесе libreoffice-writer орнатыңыз"),
        shape("cannot make a working copy to convert",
              "түрлендіру үшін файлдың жұмыс көшірмесі жасалмады"),
        shape("LibreOffice did not convert the \\.doc file within two minutes",
              "LibreOffice .doc файлын екі минутта түрлендірмеді"),
        shape("LibreOffice could not convert the \\.doc file \\(it may be damaged\\)",
              "LibreOffice .doc файлын түрлендіре алмады (файл бүлінген болуы мүмкін)"),
        shape("cannot tell the format:.*",
              "пішімі анықталмады: файлда <question> жолдары, ANSWER: жолдары, { } жауап "
              "тізімдері де, <quiz> XML де жоқ"),
        // The commands' own lines.
        shape("okulyk-admin: (.+)", "%1"),
        shape("cancelled; nothing was changed", "тоқтатылды; ештеңе өзгерген жоқ"),
        shape("(.+):(\\d+): skipped: (.+)", "%1, %2-жол: өткізілді: %3"),
        shape("(.+):(\\d+): note: (.+)", "%1, %2-жол: ескерту: %3"),
        shape("(.+) \\((\\S+), (.+)\\): (\\d+) questions? added to БДТест in (.+), (\\d+) skipped",
              "%1 (%2, %3): БДТест кестесіне %4 сұрақ қосылды (%5), %6 өткізілді"),
        shape("(.+): no question fits the bank; nothing was added",
              "%1: банкке сай келетін сұрақ жоқ; ештеңе қосылмады"),
        shape("(.+): (\\d+) questions? written from (.+)", "%1: %2 сұрақ жазылды (%3)"),
        shape("(.+): (\\d+) results? written from (.+)", "%1: %2 нәтиже жазылды (%3)"),
        shape("(.+): (\\d+) answers? written from (.+)", "%1: %2 жауап жазылды (%3)"),
        shape("(.+): report of (\\d+) results? from (.+)", "%1: %2 нәтиже бойынша есеп (%3)"),
        shape("(.+): (\\d+) questions? analysed from (.+)", "%1: %2 сұрақ талданды (%3)"),
        shape("(.+): (\\d+) variants? of 30 questions with their keys from (.+)",
              "%1: 30 сұрақтан %2 нұсқа, жауап кілттерімен (%3)"),
        shape("(.+): --seed (\\d+) prints these variants again while the bank is unchanged",
              "%1: банк өзгермесе, --seed %2 осы нұсқаларды қайта береді"),
        shape("(\\d+) attempts?; score mean (.+), median (.+), SD (.+), skewness (.+); alpha "
              "\\(KR-20\\) (.+), SEM (.+)",
              "%1 әрекет; орташа ұпай %2, медиана %3, SD %4, асимметрия %5; альфа (KR-20) %6, "
              "SEM %7"),
        shape("no kept answers fit; nothing to analyse",
              "сай келетін сақталған жауап жоқ; талдайтын ештеңе жоқ"),
        shape("(\\d+) answers? whose mark is not 0 or 1 left out",
              "бағасы 0 немесе 1 емес %1 жауап алынбады"),
        shape("no answers are kept yet", "әлі сақталған жауап жоқ"),
        shape("no answers are kept for the login \"(.+)\"", "«%1» логинінің сақталған жауабы жоқ"),
        shape("no results are stored for the login \"(.+)\"", "«%1» логинінің нәтижесі жоқ"),
        shape("(.+): this course keeps no answers yet.*",
              "%1: бұл курс жауаптарды әлі сақтамайды (okulyk-admin upgrade жауаптар кестесін "
              "қосады; одан кейінгі әрекеттердің жауаптары сақталады)"),
        shape("(.+): the question bank is empty; there is nothing to print",
              "%1: сұрақтар банкі бос; басып шығаратын ештеңе жоқ"),
        shape("(.+): (\\d+) tables? migrated from (.+)", "%1: %2 кесте көшірілді (%3)"),
        shape("(.+): the course copied from (.+)", "%1: курс көшірілді (%2)"),
        shape("(.+): not copied: (.+)", "%1: көшірілмеді: %2"),
        shape("(.+): (\\d+) rows?", "%1: %2 жол"),
        shape("(.+): this is the database; name another file",
              "%1: бұл — дерекқордың өзі; басқа файл атаңыз"),
        shape("(.+): the file is larger than 1 GB", "%1: файл 1 ГБ-тан үлкен"),
        shape("(.+): cannot read the file: (.+)", "%1: файл оқылмады: %2"),
        shape("(.+): cannot write the file: (.+)", "%1: файл жазылмады: %2"),
        shape("(.+): cannot create the file: (.+)", "%1: файл жасалмады: %2"),
        shape("(.+): options shuffled; --seed (\\d+) gives this order again",
              "%1: нұсқалар араластырылды; --seed %2 осы ретті қайта береді"),
        shape("question (\\d+) of the bank has no right answer 1 to 5; its key is printed as "
              "\"\\?\"",
              "банктің %1-сұрағының дұрыс жауабы 1–5 емес; оның кілті «?» болып басылды"),
        shape("(.+): removed, left by a copy that did not finish",
              "%1: аяқталмай қалған көшірменің файлы өшірілді"),
        shape("(.+): note: (.+)", "%1: ескерту: %2"),
        // Bringing a course up to date, and its settings.
        shape("(.+): the table Ответы is added; every answer of an attempt is kept from now on",
              "%1: Ответы кестесі қосылды; бұдан былай тесттің әр жауабы сақталады"),
        shape("(.+): the table Ответы gets the time of each answer; answers kept before it have "
              "none",
              "%1: Ответы кестесіне әр жауаптың уақыты қосылды; бұрын сақталған жауаптарда ол жоқ"),
        shape("(.+): the table Тесты gets the time of each result; results stored before it have "
              "none",
              "%1: Тесты кестесіне әр нәтиженің уақыты қосылды; бұрын сақталған нәтижелерде ол "
              "жоқ"),
        shape("(.+): the table Настройки is added for the course's settings.*",
              "%1: курс баптауларына арналған Настройки кестесі қосылды"),
        shape("(.+): the lab server's functions are renewed.*",
              "%1: сервердің функциялары жаңартылды: тестті сервер өзі береді, сәтсіз кіру әр "
              "компьютерге шектеледі"),
        shape("(.+): the course lacks what this version needs \\((.+)\\), and only the "
              "database's owner may add it.*",
              "%1: курсқа бағдарламаның осы нұсқасына керегі жетіспейді (%2), ал оны тек "
              "дерекқордың иесі қоса алады: сервердің өзінде okulyk-admin upgrade командасын "
              "postgres ретінде, курс дерекқорын атайтын қызметтер файлымен орындаңыз; ештеңе "
              "өзгерген жоқ"),
        shape("(.+): the course is up to date; nothing was changed",
              "%1: курста бәрі бар; ештеңе өзгерген жоқ"),
        shape("(.+): (different-questions|signin-failures-per-\\w+|title) is (.+)",
              "%1: %2 баптауы — %3"),
        shape("(.+): the course has no settings table yet \\(it was made by an earlier "
              "version\\); run okulyk-admin upgrade first",
              "%1: курста баптаулар кестесі әлі жоқ (оны бұрынғы нұсқа жасаған); алдымен курсты "
              "жаңартыңыз («Курсты жаңарту» немесе okulyk-admin upgrade)"),
        shape("(.+): the course has no settings table yet; every setting has its default.*",
              "%1: курста баптаулар кестесі әлі жоқ; әр баптаудың әдепкі мәні алынады"),
        shape("(\\S+) is on or off, not \"(.*)\"", "%1 баптауы on немесе off болады, «%2» емес"),
        shape("(\\S+) is a whole number from 1 to 100000, not \"(.*)\"",
              "%1 баптауы 1-ден 100000-ға дейінгі бүтін сан болады, «%2» емес"),
        shape("(.+): this is the lab computers' role, which may not read or change the course;.*",
              "%1: бұл — сынып компьютерлерінің рөлі, ол курсты оқи да, өзгерте де алмайды; "
              "okulyk-admin-ді мұғалімнің компьютерінде, оның қызмет және құпия сөз "
              "файлдарымен іске қосыңыз"),
        shape("(.+): this is a lab computer's role, which may not read the whole course;.*",
              "%1: бұл — сынып компьютерінің рөлі, ол курсты толық оқи алмайды; курсты "
              "мұғалімнің компьютерінде көшіріңіз"),
        // What an export cannot carry exactly.
        shape("question (\\d+): (.+)", "%1-сұрақ: %2"),
        shape("its right answer is not 1 to 5, so every answer is written as wrong",
              "дұрыс жауабы 1–5 емес, сондықтан барлық жауап қате ретінде жазылды"),
        shape("its right answer is not 1 to 5, so no letter is given",
              "дұрыс жауабы 1–5 емес, сондықтан ANSWER: әрпі берілмеді"),
        shape("the question", "сұрақ"),
        shape("answer (\\d+)", "%1-жауап"),
        shape("(.+) is empty, which an import skips", "%1 бос, импорт оны өткізіп жібереді"),
        shape("(.+) has blanks or line breaks at the start or end, which an import drops",
              "%1 басында не соңында бос орын не жол ауысуы бар, импорт оларды алып тастайды"),
        shape("(.+) has a NUL character, for which an import refuses the whole file",
              "%1 ішінде NUL таңбасы бар, импорт бүкіл файлды қабылдамайды"),
        shape("(.+) has control characters that XML cannot hold; they are left out",
              "%1 ішінде XML сақтай алмайтын басқару таңбалары бар; олар алынбады"),
        shape("the question begins with a byte order mark", "сұрақ байт реті белгісінен басталады"),
        shape("the question has (.+)", "сұрақта %1 бар"),
        shape("answer (\\d+) has (.+)", "%1-жауапта %2 бар"),
        shape("a blank line", "бос жол"),
        shape("a carriage return", "каретка қайтару таңбасы"),
        shape("a line that reads as an ANSWER: line", "ANSWER: жолы болып оқылатын жол"),
        shape("a line that reads as an option", "нұсқа болып оқылатын жол"),
        shape("a line that begins with <question>.*",
              "<question> белгісінен басталатын жол (файл тег пішімі болып оқылар еді)"),
        shape("blanks or line breaks at the start or end",
              "басында не соңында бос орын не жол ауысуы"),
        shape("an empty text, which an import skips", "бос мәтін (импорт оны өткізіп жібереді)"),
        shape("a NUL character, for which an import refuses the whole file",
              "NUL таңбасы (импорт бүкіл файлды қабылдамайды)"),
        // A file named before a reason the catalogue knows.
        shape("([^:]+): (.+)", "%1: %2"),
    };
    return shapes;
}

} // namespace

QString translate(const QString& message)
{
    for (const Shape& known : catalogue()) {
        const QRegularExpressionMatch match = known.english.match(message);
        if (!match.hasMatch())
            continue;
        // One pass over the Kazakh text, so that a "%2" inside an inserted file name stays as
        // it is.
        QString kazakh;
        const QString& shaped = known.kazakh;
        for (qsizetype i = 0; i < shaped.size(); ++i) {
            if (shaped[i] == u'%' && i + 1 < shaped.size() && shaped[i + 1].isDigit()) {
                const QString part = match.captured(shaped[++i].digitValue());
                kazakh += part.size() < message.size() ? translate(part) : part;
            } else {
                kazakh += shaped[i];
            }
        }
        return kazakh;
    }
    return message;
}

} // namespace KazakhMessages
