#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>

using TNotifyEvent = std::function<void(QObject *Sender)>;

// Called once per translated entry before the property is set. NewValue holds
// the text read from the language file; what the handler leaves in it is set.
// OldValue is the property's current text (empty unless it is a text property).
using TLanguageNotifyEvent = std::function<void(QObject *Sender, QObject *AComponent,
                                                const QString &PropertyName,
                                                const QString &OldValue, QString &NewValue)>;

// Translates a window at run time from a language file, an INI file with the
// sections "Translations" (property path = text) and "Messages" (English
// message = text). Each window owns one, named "Language1", carries its list
// of property paths and applies it when it is created.
//
// A path such as "frmConfig.cboLicense.Items" starts at the application: its
// first name is a window or the data module, each further name an object
// that the one before owns, however deeply nested (menus and actions
// included); the last name is the property. Names match with the letters A-Z
// in any case; blanks around them are ignored. "Caption" is the text a
// window, label, button, check box, action, menu, tab page, group box or tool
// bar shows, "Hint" the tool tip, "Items" a drop-down's item list; any other
// name is a Qt property (text, integer or string list).
//
// Nothing is cached: every ApplyLanguage and every Msg reads the file anew.
class TLanguage final : public QObject
{
    Q_OBJECT

public:
    explicit TLanguage(QObject *owner);

    // Full path of the language file; a missing file changes nothing.
    QString LanguageFile;
    // The property paths ApplyLanguage translates, in order; blank lines are skipped.
    QStringList Properties;

    TNotifyEvent OnBeforeTranslation;
    TNotifyEvent OnAfterTranslation;
    TLanguageNotifyEvent OnTranslate;

    // Divides the items of a list value. Setting an empty or all-blank text
    // stores ","; anything else is kept as it is, blanks included.
    QString Separator() const;
    void setSeparator(const QString &separator);

    // Sets every path of Properties to its text in "Translations". A missing
    // or empty text leaves the property alone. A text that is not a number
    // for an integer property throws EConvertError and ends the translation
    // there, without OnAfterTranslation.
    void ApplyLanguage();
    // The text of key Text in "Messages", or Text itself when there is none.
    QString Msg(const QString &Text) const;
    // Resolves one path and sets its property to Value, firing OnTranslate.
    // An unknown window or component, or an empty Value, does nothing.
    void TranslateProperty(const QString &Path, const QString &Value);

private:
    // One settable property of a component, of the three kinds a language
    // file can set.
    struct TProperty
    {
        enum class Kind { None, String, Integer, List };
        Kind kind = Kind::None;
        std::function<QVariant(QObject *)> read;
        std::function<void(QObject *, const QVariant &)> write;
    };

    static QObject *FindOwnedComponent(QObject *Owner, const QString &Name);
    static TProperty findProperty(QObject *component, const QString &name);
    void SetPropertyValue(QObject *Component, const QString &PropertyName, const QString &Value);
    void SetListProperty(QObject *Component, const TProperty &Property, const QString &Value);

    QString m_separator;
};
