#pragma once

#include <QString>
#include <QStringView>

namespace namorel {

/// The spelling by which the sound rules read a surname or middle name: the text as it is when every letter
/// in it is Latin (or it has none); otherwise its transliteration to Latin letters without accents, each
/// script as it is said (Иванов as Ivanov, Хрущёв as Khrushchev, Βασιλείου as Vasileiou, Han characters in
/// their Mandarin reading: 田中 as "tian zhong"). Empty when the transliteration holds no letter a to z, and
/// for a text in Arabic, Hebrew or Syriac letters without their vowel marks, whose spelling does not tell how
/// it is said. Thread-safe; the transliteration is made ready the first time a text needs it.
QString LatinReading(QStringView text);

} // namespace namorel
