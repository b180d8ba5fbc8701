#pragma once

#include <QString>
#include <optional>

// Every message box and dialog of the program goes through this interface.
// The windows install the real one (Qt dialogs); tests install one that
// records each call and gives scripted answers.
class TDialogs
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~TDialogs();

    // A notice or failure box with an OK button only.
    virtual void message(const QString &title, const QString &text, Icon icon) = 0;
    // A question with Yes and No; true only for Yes.
    virtual bool question(const QString &title, const QString &text) = 0;
    // An open-file dialog; an empty result means cancelled. The filter is
    // "Name|pattern|Name|pattern".
    virtual QString openFile(const QString &title, const QString &folder, const QString &filter) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<QString> inputText(const QString &title, const QString &label,
                                             const QString &value) = 0;
};

// The installed dialogs. Until a window layer installs its own, a fallback
// prints boxes on standard error and answers No / Cancel.
TDialogs &Dialogs();
// Installs d (not owned; nullptr restores the fallback). Returns the previous one.
TDialogs *setDialogs(TDialogs *d);
