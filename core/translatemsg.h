#pragma once

#include <QString>
#include <functional>

// Translates a message text that the program builds (message boxes, headings,
// dialog filters). With the language setting exactly "English" the text comes
// back unchanged; otherwise the registered lookup answers (the main window's
// language component: the "Messages" section of the current language file).
QString TranslateMsg(const QString &text);

// Registers the lookup; an empty function makes TranslateMsg return its text.
void setMessageLookup(std::function<QString(const QString &)> lookup);
