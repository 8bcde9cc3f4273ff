#pragma once

#include <QString>

namespace db::embedded {

/// The text of `size` UTF-8 bytes, every character kept: a leading U+FEFF is a character of the
/// value, not a byte-order mark, and QString::fromUtf8 would drop it.
inline QString utf8Text(const char* data, int size)
{
    QString marks;
    while (size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF && static_cast<unsigned char>(data[1]) == 0xBB
           && static_cast<unsigned char>(data[2]) == 0xBF) {
        marks += QChar(0xFEFF);
        data += 3;
        size -= 3;
    }
    return marks + QString::fromUtf8(data, size);
}

} // namespace db::embedded
