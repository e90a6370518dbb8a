#include "phones.h"

#include <algorithm>
#include <array>

namespace namorel {

namespace {

constexpr std::array<const char *, 39> kSymbols
    = { "AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW", "B", "CH", "D", "DH",
          "F", "G", "HH", "JH", "K", "L", "M", "N", "NG", "P", "R", "S", "SH", "T", "TH", "V", "W", "Y", "Z", "ZH" };
constexpr int kVowelCount = 15;

std::optional<Arpabet> symbolOf(QStringView text)
{
    for (size_t i = 0; i < kSymbols.size(); ++i) {
        if (text == QLatin1StringView(kSymbols[i]))
            return Arpabet(i);
    }
    return std::nullopt;
}

bool isVowelSymbol(Arpabet symbol)
{
    return int(symbol) < kVowelCount;
}

std::optional<Phone> parsePhone(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QChar last = text.back();
    if (last >= u'0' && last <= u'2') {
        const std::optional<Arpabet> symbol = symbolOf(text.chopped(1));
        if (!symbol || !isVowelSymbol(*symbol))
            return std::nullopt;
        return Phone { *symbol, qint8(last.unicode() - u'0') };
    }
    const std::optional<Arpabet> symbol = symbolOf(text);
    if (!symbol || isVowelSymbol(*symbol))
        return std::nullopt;
    return Phone { *symbol, Phone::kConsonant };
}

} // namespace

std::optional<Pronunciation> ParsePhones(QStringView text)
{
    Pronunciation phones;
    qsizetype at = 0;
    while (at < text.size()) {
        if (text[at].isSpace()) {
            ++at;
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        const std::optional<Phone> phone = parsePhone(text.sliced(at, end - at));
        if (!phone)
            return std::nullopt;
        phones.append(*phone);
        at = end;
    }
    return phones;
}

QString SymbolText(Arpabet symbol)
{
    return QLatin1StringView(kSymbols[size_t(symbol)]);
}

QString PhonesText(const Pronunciation &phones)
{
    QString text;
    for (const Phone &phone : phones) {
        if (!text.isEmpty())
            text.append(u' ');
        text.append(QLatin1StringView(kSymbols[size_t(phone.Symbol)]));
        if (phone.isVowel())
            text.append(QChar(u'0' + phone.Stress));
    }
    return text;
}

qint32 SyllableCount(const Pronunciation &phones)
{
    return qint32(std::count_if(phones.begin(), phones.end(), [](const Phone &phone) { return phone.isVowel(); }));
}

} // namespace namorel
