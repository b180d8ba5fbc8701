#include "qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void TQtDialogs::message(const QString &title, const QString &text, Icon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case Icon::Question:
        qtIcon = QMessageBox::Question;
        break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool TQtDialogs::question(const QString &title, const QString &text)
{
    return QMessageBox::question(QApplication::activeWindow(), title, text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

QString TQtDialogs::openFile(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, qtFilter(filter));
}

std::optional<QString> TQtDialogs::inputText(const QString &title, const QString &label, const QString &value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, label,
                                               QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString TQtDialogs::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}
