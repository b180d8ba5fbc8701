// Answers the message boxes of a program under test. Loaded into it as a Qt
// generic plugin (QT_QPA_GENERIC_PLUGINS=qsboxanswer), it appends each box to
// the file named by QS_BOX_LOG, then presses OK, or for a question the next
// answer of the comma-separated list in QS_BOX_ANSWERS ("Yes" or "No"; No
// once the list is used up).

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>

namespace {

class TBoxAnswerer : public QObject
{
public:
    TBoxAnswerer()
        : m_answers(qEnvironmentVariable("QS_BOX_ANSWERS").split(u',', Qt::SkipEmptyParts))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (!box || event->type() != QEvent::Show)
            return false;
        QAbstractButton *button = box->button(QMessageBox::Ok);
        if (!button) {
            const bool yes = !m_answers.isEmpty() && m_answers.takeFirst() == u"Yes";
            button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        }
        QFile log(qEnvironmentVariable("QS_BOX_LOG"));
        if (log.open(QIODevice::Append)) {
            log.write((box->windowTitle() + u": "_qs + box->text() + u" -> "_qs + button->text().remove(u'&') + u'\n')
                          .toUtf8());
        }
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
        return false;
    }

private:
    QStringList m_answers;
};

} // namespace

class TBoxAnswerPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "boxanswer.json")

public:
    QObject *create(const QString &, const QString &) override
    {
        auto *answerer = new TBoxAnswerer;
        QCoreApplication::instance()->installEventFilter(answerer);
        return answerer;
    }
};

#include "boxanswer.moc"
