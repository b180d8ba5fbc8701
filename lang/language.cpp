#include "language.h"

#include "errors.h"
#include "inifile.h"
#include "textfile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMetaProperty>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>

namespace {

const QString kTranslations = QStringLiteral("Translations");
const QString kMessages = QStringLiteral("Messages");

// Component and property names match with only the letters A-Z folded:
// "Ä" and "ä" are different names.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    auto upper = [](QChar c) { return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

// The tab widget that shows page as one of its tabs, if any.
QTabWidget *tabWidgetOf(QObject *page)
{
    auto *w = qobject_cast<QWidget *>(page);
    auto *stack = w ? qobject_cast<QStackedWidget *>(w->parentWidget()) : nullptr;
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(w) >= 0 ? tabs : nullptr;
}

// A child that is a window of its own. Menus and drop-down lists pop up as
// windows but belong to the window they open from, and so does a tool bar
// that the user has pulled off.
bool isSeparateWindow(QObject *o)
{
    auto *w = qobject_cast<QWidget *>(o);
    return w && w->isWindow() && w->windowType() != Qt::Popup && !qobject_cast<QToolBar *>(w)
        && !qobject_cast<QDockWidget *>(w);
}

// The Qt property that holds what a language file calls the caption.
const char *captionProperty(QObject *o)
{
    if (qobject_cast<QAction *>(o) || qobject_cast<QLabel *>(o) || qobject_cast<QAbstractButton *>(o))
        return "text";
    if (qobject_cast<QMenu *>(o) || qobject_cast<QGroupBox *>(o))
        return "title";
    if (qobject_cast<QToolBar *>(o))
        return "windowTitle";
    if (auto *w = qobject_cast<QWidget *>(o); w && w->isWindow())
        return "windowTitle";
    return nullptr;
}

} // namespace

TLanguage::TLanguage(QObject *owner)
    : QObject(owner)
{
    setObjectName(QStringLiteral("Language1"));
}

QString TLanguage::Separator() const
{
    return m_separator;
}

void TLanguage::setSeparator(const QString &separator)
{
    m_separator = trimBlanks(separator).isEmpty() ? QStringLiteral(",") : separator;
}

void TLanguage::ApplyLanguage()
{
    if (OnBeforeTranslation)
        OnBeforeTranslation(this);
    const TIniFile ini(LanguageFile);
    // A handler may change Properties; the list as it was at the start is applied.
    const QStringList paths = Properties;
    for (const QString &path : paths) {
        if (trimBlanks(path).isEmpty())
            continue;
        TranslateProperty(path, ini.readString(kTranslations, path, QString()));
    }
    if (OnAfterTranslation)
        OnAfterTranslation(this);
}

QString TLanguage::Msg(const QString &Text) const
{
    return TIniFile(LanguageFile).readString(kMessages, Text, Text);
}

void TLanguage::TranslateProperty(const QString &Path, const QString &Value)
{
    QString rest = trimBlanks(Path);
    if (rest.isEmpty())
        return;
    QObject *current = QCoreApplication::instance();
    for (qsizetype dot = rest.indexOf(u'.'); dot >= 0; dot = rest.indexOf(u'.')) {
        const QString name = trimBlanks(QStringView(rest).left(dot));
        rest = trimBlanks(QStringView(rest).mid(dot + 1));
        current = FindOwnedComponent(current, name);
    }
    const QString &propertyName = rest;
    if (!current || Value.isEmpty())
        return;

    QString value = Value;
    if (OnTranslate) {
        const TProperty p = findProperty(current, propertyName);
        const QString oldValue = p.kind == TProperty::Kind::String ? p.read(current).toString() : QString();
        const QPointer<QObject> alive(current);
        OnTranslate(this, current, propertyName, oldValue, value);
        if (!alive)
            return;
    }
    SetPropertyValue(current, propertyName, value);
}

QObject *TLanguage::FindOwnedComponent(QObject *Owner, const QString &Name)
{
    // Qt gives many of its own helper objects no name; an empty name in a
    // path must not pick one of them.
    if (!Owner || Name.isEmpty())
        return nullptr;

    if (Owner == QCoreApplication::instance()) {
        // The application owns the windows and the data module.
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            if (sameName(w->objectName(), Name))
                return w;
        }
        for (QObject *o : Owner->children()) {
            if (sameName(o->objectName(), Name))
                return o;
        }
        return nullptr;
    }

    // Everything on a window belongs to it, however deeply nested; the
    // nearer objects come first. A window given this one as parent (a dialog,
    // a tool window) is a window of its own, not part of this one.
    QObjectList owned = Owner->children();
    for (qsizetype i = 0; i < owned.size(); ++i) {
        QObject *o = owned.at(i);
        if (isSeparateWindow(o))
            continue;
        if (sameName(o->objectName(), Name))
            return o;
        owned += o->children();
    }
    return nullptr;
}

TLanguage::TProperty TLanguage::findProperty(QObject *component, const QString &name)
{
    using Kind = TProperty::Kind;

    if (QTabWidget *tabs = tabWidgetOf(component); tabs && sameName(name, u"Caption")) {
        const int index = tabs->indexOf(qobject_cast<QWidget *>(component));
        return {Kind::String, [tabs, index](QObject *) { return QVariant(tabs->tabText(index)); },
                [tabs, index](QObject *, const QVariant &v) { tabs->setTabText(index, v.toString()); }};
    }
    if (sameName(name, u"Items") && qobject_cast<QComboBox *>(component)) {
        return {Kind::List,
                [](QObject *) { return QVariant(QStringList()); },
                [](QObject *o, const QVariant &v) {
                    // As in a combo box whose items are reassigned: no change
                    // signal, an editable one keeps the text it shows.
                    auto *combo = qobject_cast<QComboBox *>(o);
                    const QSignalBlocker block(combo);
                    const QString text = combo->currentText();
                    const int index = combo->currentIndex();
                    combo->clear();
                    combo->addItems(v.toStringList());
                    if (combo->isEditable()) {
                        combo->setCurrentIndex(-1);
                        combo->setEditText(text);
                    } else {
                        combo->setCurrentIndex(index < combo->count() ? index : -1);
                    }
                }};
    }

    QString qtName = name;
    if (sameName(name, u"Caption")) {
        if (const char *p = captionProperty(component))
            qtName = QLatin1String(p);
    } else if (sameName(name, u"Hint")) {
        qtName = QStringLiteral("toolTip");
    }

    const QMetaObject *mo = component->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isWritable() || !sameName(QString::fromLatin1(p.name()), qtName))
            continue;
        Kind kind = Kind::None;
        switch (p.metaType().id()) {
        case QMetaType::QString:
            kind = Kind::String;
            break;
        case QMetaType::Int:
            kind = Kind::Integer;
            break;
        case QMetaType::QStringList:
            kind = Kind::List;
            break;
        default:
            break;
        }
        return {kind, [p](QObject *o) { return p.read(o); },
                [p](QObject *o, const QVariant &v) { p.write(o, v); }};
    }
    return {};
}

void TLanguage::SetPropertyValue(QObject *Component, const QString &PropertyName, const QString &Value)
{
    const TProperty p = findProperty(Component, PropertyName);
    switch (p.kind) {
    case TProperty::Kind::None:
        break;
    case TProperty::Kind::String:
        p.write(Component, Value);
        break;
    case TProperty::Kind::Integer: {
        bool ok = false;
        const int number = Value.toInt(&ok, 10);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Value));
        p.write(Component, number);
        break;
    }
    case TProperty::Kind::List:
        SetListProperty(Component, p, Value);
        break;
    }
}

void TLanguage::SetListProperty(QObject *Component, const TProperty &Property, const QString &Value)
{
    QStringList items;
    QStringView rest(Value);
    // An empty separator never occurs in a value: the whole value is one item.
    if (!m_separator.isEmpty()) {
        for (qsizetype at = rest.indexOf(m_separator); at >= 0; at = rest.indexOf(m_separator)) {
            items << trimBlanks(rest.left(at));
            rest = rest.mid(at + m_separator.size());
        }
    }
    const QString last = trimBlanks(rest);
    if (!last.isEmpty())
        items << last;
    Property.write(Component, items);
}
