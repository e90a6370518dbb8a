#pragma once

#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>

namespace namorel {

/// What the sound rules need to know of a word, drawn from its phones once: its syllables, the stress at
/// either end, its runs of unstressed syllables and its first sound. The search judges every name of a
/// large search by it without keeping the phones themselves.
struct SoundShape
{
    qint32 Syllables = 0;
    qint32 FirstStress = -1; ///< stress digit of the first vowel, -1 without vowels
    qint32 LastStress = -1; ///< stress digit of the last vowel, -1 without vowels
    qint32 LeadingUnstressed = 0; ///< unstressed syllables before the first stressed one (all when none is)
    qint32 TrailingUnstressed = 0; ///< unstressed syllables after the last stressed one (all when none is)
    qint32 LongestUnstressed = 0; ///< the longest run of unstressed syllables
    std::array<char16_t, 2> FirstSound {}; ///< the first phone without its stress digit; nothing without phones
    bool StartsWithVowel = false;

    bool hasPhones() const { return FirstSound[0] != 0; }
    friend bool operator==(const SoundShape &, const SoundShape &) = default;
};

/// Builds a SoundShape phone by phone.
class SoundShapeBuilder
{
public:
    /// Adds the next phone: its ARPAbet symbol without a stress digit ("AE", "K") and, for a vowel, its
    /// stress; -1 for a consonant.
    void add(QStringView symbol, int stress)
    {
        if (!m_shape.hasPhones() && !symbol.isEmpty()) {
            m_shape.FirstSound[0] = symbol[0].unicode();
            m_shape.FirstSound[1] = symbol.size() > 1 ? symbol[1].unicode() : u'\0';
            m_shape.StartsWithVowel = stress >= 0;
        }
        if (stress < 0)
            return;
        ++m_shape.Syllables;
        if (m_shape.FirstStress < 0)
            m_shape.FirstStress = stress;
        m_shape.LastStress = stress;
        if (stress == 0) {
            ++m_run;
            if (!m_stressSeen)
                ++m_shape.LeadingUnstressed;
            m_shape.LongestUnstressed = std::max(m_shape.LongestUnstressed, m_run);
        } else {
            m_run = 0;
            m_stressSeen = true;
        }
        m_shape.TrailingUnstressed = m_run;
    }

    const SoundShape &shape() const { return m_shape; }

private:
    SoundShape m_shape;
    qint32 m_run = 0;
    bool m_stressSeen = false;
};

/// The shape of a pronunciation given as ARPAbet phones with stress digits ("JH", "AE1", "K").
SoundShape ShapeOf(const QStringList &phones);

/// The shape of checked phones written as the pronouncing data writes them, "JH AE1 K".
SoundShape ShapeOfArpabet(QStringView arpabet);

} // namespace namorel
