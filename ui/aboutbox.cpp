#include "aboutbox.h"

#include "config.h"
#include "include.h"
#include "language.h"
#include "maker.h"
#include "pathlists.h"
#include "updatecheck.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPixmap programPicture()
{
    QPixmap pm(139, 42);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c));
    p.drawRoundedRect(QRectF(1, 1, 40, 40), 8, 8);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(9, 9, 24, 24));
    p.drawLine(QPointF(26, 26), QPointF(34, 34));
    p.setPen(QColor(0x1f, 0x4e, 0x8c));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(15);
    p.setFont(f);
    p.drawText(QRectF(48, 0, 91, 42), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quorvane"));
    return pm;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Quorvane Submit"));
    setFixedSize(303, 258);

    ProgramIcon = label(this, "ProgramIcon", QString());
    ProgramIcon->setPixmap(programPicture());
    ProgramIcon->setFixedSize(139, 42);
    ProgramIcon->setScaledContents(true);

    Label1 = label(this, "Label1", QStringLiteral("Quorvane Submit\u2122"));
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    Label1->setFont(big);
    Version = label(this, "Version", QStringLiteral("Version"));
    lblBuild = label(this, "lblBuild", QStringLiteral("Build"));
    Copyright = label(this, "Copyright", QStringLiteral("Copyright \u00A9 2026 Quorvane Software. All rights reserved."));
    Copyright->setWordWrap(true);

    const QString site = MakerSite() + QStringLiteral("/");
    Label2 = label(this, "Label2", site);
    QFont link = Label2->font();
    link.setUnderline(true);
    Label2->setFont(link);
    QPalette navy = Label2->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    Label2->setPalette(navy);
    Label2->setToolTip(site);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ProgramIcon);
    layout->addWidget(Label1);
    layout->addWidget(Version);
    layout->addWidget(lblBuild);
    layout->addWidget(Copyright);
    layout->addWidget(Label2);
    layout->addStretch();
    layout->addWidget(divider);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);

    Language1 = new TLanguage(this);
    Language1->setSeparator(QStringLiteral(";"));
    Language1->Properties = LanguagePaths(objectName());
    if (AppConfig->Language != QLatin1String("English")) {
        Language1->LanguageFile = AppDir() + AppConfig->Language + QStringLiteral(".lng");
        Language1->ApplyLanguage();
    }
    Version->setText(TranslateMsg(QStringLiteral("Version")) + u' ' + QLocale().toString(TUpdateCheck::ProgramVersion, 'f', 2));
    lblBuild->setText(TranslateMsg(QStringLiteral("Build")) + QStringLiteral(" 1.000"));
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease) {
        LaunchUrl(MakerSite() + QStringLiteral("/"), false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
