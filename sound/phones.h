#pragma once

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <optional>

namespace namorel {

/// The phones of ARPAbet as the CMU Pronouncing Dictionary writes them: the fifteen vowels first, then the
/// consonants, each in alphabetical order.
// clang-format off
enum class Arpabet : quint8 {
    AA, AE, AH, AO, AW, AY, EH, ER, EY, IH, IY, OW, OY, UH, UW,
    B, CH, D, DH, F, G, HH, JH, K, L, M, N, NG, P, R, S, SH, T, TH, V, W, Y, Z, ZH,
};
// clang-format on

/// One phone of a pronunciation. A vowel carries its stress: 1 primary, 2 secondary, 0 none.
struct Phone
{
    static constexpr qint8 kConsonant = -1;

    Arpabet Symbol = Arpabet::AH;
    qint8 Stress = kConsonant;

    bool isVowel() const { return Stress != kConsonant; }
    friend bool operator==(const Phone &, const Phone &) = default;
};

/// A word's pronunciation, phone by phone. Most words fit without a heap allocation.
using Pronunciation = QVarLengthArray<Phone, 24>;

/// Reads phones as the dictionary writes them, separated by white space: "S M IH1 TH". Every vowel must carry
/// a stress digit and no consonant may; anything else gives nothing.
std::optional<Pronunciation> ParsePhones(QStringView text);

/// The phones written as the dictionary writes them, the inverse of ParsePhones.
QString PhonesText(const Pronunciation &phones);

/// The symbol alone, such as "AE" or "K".
QString SymbolText(Arpabet symbol);

/// The number of syllables: one per vowel.
qint32 SyllableCount(const Pronunciation &phones);

} // namespace namorel
