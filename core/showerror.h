#pragma once

#include <QString>
#include <exception>

// The application's title: the caption of its standard boxes.
QString ApplicationTitle();

// The application's standard error box: the error's own text.
void ShowException(const std::exception &e);
// A plain box with the text and an OK button, untranslated.
void ShowMessage(const QString &text);
