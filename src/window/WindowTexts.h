#pragma once

#include <QLineEdit>
#include <QString>
#include <cstdio>
#include <string>

namespace nivaro {

inline constexpr const char* kImageFileName = "out.bmp";

inline QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string Text(const QLineEdit* field)
{
    return field->text().toStdString();
}

// Widgets carry their member's name as object name, by which tests find them.
template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A readout or message text from a C format, with "." as decimal point.
inline QString Formatted(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return QString::fromUtf8(text);
}

}  // namespace nivaro
