#pragma once

#include <QString>

// Embeddings, overrides and isolates turn the direction of the text after
// them: a title or name holding them can read backwards wherever it is shown
// ("注文書\u202Efdp.exe" as "注文書exe.pdf", "\u202Elive" as "evil"). Text from
// pages and lists loses them before it is shown or kept.
namespace DirectionControls {

inline bool isControl(QChar c)
{
    return (c.unicode() >= 0x202A && c.unicode() <= 0x202E)
        || (c.unicode() >= 0x2066 && c.unicode() <= 0x2069);
}

inline QString removed(QString text)
{
    text.removeIf(isControl);
    return text;
}

} // namespace DirectionControls
