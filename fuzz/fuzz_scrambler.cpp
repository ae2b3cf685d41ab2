// The scrambler takes any text. The input is read as UTF-16 code units
// (unpaired surrogates included), so every QString can occur. Checked against
// a plain model: characters above 0xFF count as '?', characters that would
// leave 0..255 are dropped, everything else moves by the shift and back.
#include "report/scrambler.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
void fail(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

QString model(const QString &text, int shift)
{
    QString out;
    for (const QChar ch : text) {
        const int code = ch.unicode() > 0xFF ? '?' : ch.unicode();
        if (code + shift >= 0 && code + shift <= 0xFF)
            out += QChar(char16_t(code + shift));
    }
    return out;
}

bool staysInRange(const QString &text, int shift)
{
    for (const QChar ch : text)
        if (ch.unicode() > 0xFF || ch.unicode() + shift < 0 || ch.unicode() + shift > 0xFF)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char16_t> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    const QString wide = QString::fromUtf16(units.data(), qsizetype(units.size()));
    const QString narrow
        = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    for (const QString &text : {wide, narrow}) {
        const QString scrambled = ScrambleText(text);
        const QString unscrambled = UnscrambleText(text);
        if (scrambled != model(text, ScrambleShift))
            fail("ScrambleText differs from the model");
        if (unscrambled != model(text, -ScrambleShift))
            fail("UnscrambleText differs from the model");
        for (const QChar ch : scrambled + unscrambled)
            if (ch.unicode() > 0xFF)
                fail("output leaves the 8-bit code page");

        // What is written must read back whenever nothing had to be dropped.
        if (staysInRange(text, ScrambleShift) && UnscrambleText(scrambled) != text)
            fail("scramble then unscramble is not the identity");
        if (staysInRange(text, -ScrambleShift) && ScrambleText(unscrambled) != text)
            fail("unscramble then scramble is not the identity");

        // The file stores scrambled text as Latin-1 bytes; nothing may be lost there.
        if (QString::fromLatin1(scrambled.toLatin1()) != scrambled)
            fail("scrambled text does not fit Latin-1");
    }
    return 0;
}
