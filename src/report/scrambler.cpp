#include "scrambler.h"

namespace {
QString shifted(const QString &text, int shift)
{
    QString result;
    result.reserve(text.size());
    for (const QChar ch : text) {
        // Characters outside the 8-bit code page are written as '?', as the
        // conversion to it would.
        const int code = ch.unicode() > 0xFF ? int('?') : int(ch.unicode());
        const int moved = code + shift;
        if (moved >= 0 && moved <= 0xFF)
            result += QChar(moved);
    }
    return result;
}
} // namespace

QString ScrambleText(const QString &text)
{
    return shifted(text, ScrambleShift);
}

QString UnscrambleText(const QString &text)
{
    return shifted(text, -ScrambleShift);
}
