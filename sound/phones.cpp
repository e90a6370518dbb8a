#include "phones.h"

#include <algorithm>
#include <array>

namespace namorel {

namespace {

constexpr std::array<QStringView, 15> kVowels
    = { u"AA", u"AE", u"AH", u"AO", u"AW", u"AY", u"EH", u"ER", u"EY", u"IH", u"IY", u"OW", u"OY", u"UH", u"UW" };
constexpr std::array<QStringView, 24> kConsonants = { u"B", u"CH", u"D", u"DH", u"F", u"G", u"HH", u"JH", u"K", u"L",
    u"M", u"N", u"NG", u"P", u"R", u"S", u"SH", u"T", u"TH", u"V", u"W", u"Y", u"Z", u"ZH" };

template<size_t N> bool listed(const std::array<QStringView, N> &table, QStringView phone)
{
    return std::find(table.begin(), table.end(), phone) != table.end();
}

} // namespace

bool IsVowelPhone(QStringView phone)
{
    return PhoneStress(phone) >= 0;
}

qint32 PhoneStress(QStringView phone)
{
    if (phone.size() != 3 || phone.back() < u'0' || phone.back() > u'2')
        return -1;
    return listed(kVowels, phone.first(2)) ? phone.back().unicode() - u'0' : -1;
}

QStringList ParsePhones(QStringView arpabet)
{
    QStringList phones;
    bool hasVowel = false;
    for (const QStringView phone : arpabet.split(u' ', Qt::SkipEmptyParts)) {
        const bool vowel = IsVowelPhone(phone);
        if (!vowel && !listed(kConsonants, phone))
            return {};
        hasVowel = hasVowel || vowel;
        phones.append(phone.toString());
    }
    return hasVowel ? phones : QStringList();
}

qint32 SyllableCount(const QStringList &phones)
{
    return qint32(
        std::count_if(phones.begin(), phones.end(), [](const QString &phone) { return IsVowelPhone(phone); }));
}

} // namespace namorel
