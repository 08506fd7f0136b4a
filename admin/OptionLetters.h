#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <optional>

// The letters that number the options of a question. Teachers type them on Latin, Kazakh or
// Russian keyboards, so three sets are read: Latin A B C D E; the Cyrillic look-alikes
// А В С Д Е, standing for the Latin ones; and the Cyrillic alphabet А Б В Г Д, numbered by
// position. Which set a question uses follows from all its option letters together; a letter
// of the answer is read in that set.
namespace OptionLetters {

enum class Set { Latin, CyrillicLookAlike, CyrillicAlphabet };

// Whether the character numbers options in some set (an upper-case Latin or Cyrillic letter,
// so that an F or Ж option is seen as an option too and the count comes out right).
bool isOptionLetter(QChar letter);

struct Decision {
    std::optional<Set> set;
    QString problem; // why no set fits, when none does
};

// The one set in which the letters are the first letters of the set, in order.
Decision decide(const QList<QChar>& letters);

// The number 1..5 of the letter in the set, or 0 when the set has no such letter.
int number(Set set, QChar letter);

QString describe(Set set);

// Why a letter that number() does not know cannot be the answer of options in that set.
QString foreignAnswer(Set set, QChar letter);

} // namespace OptionLetters
