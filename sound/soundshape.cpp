#include "soundshape.h"

#include <algorithm>

namespace namorel {

void SoundShapeBuilder::add(QStringView symbol, int stress)
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

namespace {

// The phones come checked from the pronouncing data or the estimate: a vowel ends in its stress digit.
void addPhone(SoundShapeBuilder &builder, QStringView phone)
{
    const QChar last = phone.isEmpty() ? QChar() : phone.back();
    if (last >= u'0' && last <= u'2')
        builder.add(phone.chopped(1), last.unicode() - u'0');
    else
        builder.add(phone, -1);
}

} // namespace

SoundShape ShapeOf(const QStringList &phones)
{
    SoundShapeBuilder builder;
    for (const QString &phone : phones)
        addPhone(builder, phone);
    return builder.shape();
}

SoundShape ShapeOfArpabet(QStringView arpabet)
{
    SoundShapeBuilder builder;
    for (const QStringView phone : arpabet.tokenize(u' ', Qt::SkipEmptyParts))
        addPhone(builder, phone);
    return builder.shape();
}

} // namespace namorel
