#include "OptionLetters.h"

#include <array>

namespace OptionLetters {

namespace {

constexpr std::array<char16_t, 5> kLatin = {u'A', u'B', u'C', u'D', u'E'};
constexpr std::array<char16_t, 5> kLookAlike = {u'А', u'В', u'С', u'Д', u'Е'};
constexpr std::array<char16_t, 5> kAlphabet = {u'А', u'Б', u'В', u'Г', u'Д'};
constexpr std::array<Set, 3> kSets = {Set::Latin, Set::CyrillicLookAlike, Set::CyrillicAlphabet};

const std::array<char16_t, 5>& lettersOf(Set set)
{
    switch (set) {
    case Set::Latin:
        return kLatin;
    case Set::CyrillicLookAlike:
        return kLookAlike;
    case Set::CyrillicAlphabet:
        break;
    }
    return kAlphabet;
}

bool isLatin(QChar letter)
{
    return letter >= u'A' && letter <= u'Z';
}

bool isCyrillic(QChar letter)
{
    return (letter >= u'А' && letter <= u'Я') || letter == u'Ё';
}

QString listed(const QList<QChar>& letters)
{
    QStringList names;
    for (const QChar letter : letters)
        names << QString(letter);
    return names.join(QLatin1Char(' '));
}

} // namespace

bool isOptionLetter(QChar letter)
{
    return isLatin(letter) || isCyrillic(letter);
}

Decision decide(const QList<QChar>& letters)
{
    if (letters.isEmpty())
        return {std::nullopt, QStringLiteral("there are no options")};
    bool latin = false;
    bool cyrillic = false;
    for (const QChar letter : letters) {
        latin = latin || isLatin(letter);
        cyrillic = cyrillic || isCyrillic(letter);
    }
    if (latin && cyrillic)
        return {std::nullopt, QStringLiteral("the option letters %1 mix Latin and Cyrillic letters")
                                  .arg(listed(letters))};

    QList<Set> fitting;
    for (const Set set : kSets) {
        const auto& expected = lettersOf(set);
        bool fits = letters.size() <= qsizetype(expected.size());
        for (qsizetype i = 0; fits && i < letters.size(); ++i)
            fits = letters[i] == QChar(expected[i]);
        if (fits)
            fitting << set;
    }
    if (fitting.size() == 1)
        return {fitting.constFirst(), {}};
    if (fitting.size() > 1)
        return {std::nullopt,
                QStringLiteral("the option letters %1 could be read as %2 or as %3")
                    .arg(listed(letters), describe(fitting[0]), describe(fitting[1]))};
    return {std::nullopt,
            QStringLiteral("the option letters %1 are not A B C D E, А В С Д Е or А Б В Г Д in "
                           "order")
                .arg(listed(letters))};
}

int number(Set set, QChar letter)
{
    const auto& letters = lettersOf(set);
    for (size_t i = 0; i < letters.size(); ++i) {
        if (letter == QChar(letters[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

QString foreignAnswer(Set set, QChar letter)
{
    const bool latinSet = set == Set::Latin;
    const QChar upper = letter.toUpper();
    if ((latinSet && isCyrillic(upper)) || (!latinSet && isLatin(upper)))
        return QStringLiteral("the answer letter %1 is %2 but the options are %3")
            .arg(letter)
            .arg(latinSet ? QStringLiteral("Cyrillic") : QStringLiteral("Latin"), describe(set));
    return QStringLiteral("the answer letter %1 is not one of the options' letters (%2)")
        .arg(letter)
        .arg(describe(set));
}

QString describe(Set set)
{
    switch (set) {
    case Set::Latin:
        return QStringLiteral("Latin A B C D E");
    case Set::CyrillicLookAlike:
        return QStringLiteral("Cyrillic А В С Д Е");
    case Set::CyrillicAlphabet:
        break;
    }
    return QStringLiteral("Cyrillic А Б В Г Д");
}

} // namespace OptionLetters
