#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <ostream>

// Readable gtest output for Qt values.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* os)
{
    if (!value.isValid()) {
        *os << "QVariant(invalid)";
        return;
    }
    const QString text = value.typeId() == QMetaType::QDateTime ? value.toDateTime().toString(Qt::ISODateWithMs)
                                                                : value.toString();
    *os << "QVariant(" << value.typeName() << ", \"" << text.toStdString() << "\")";
}
