#include "soundshape.h"

#include <algorithm>

namespace namorel {

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
