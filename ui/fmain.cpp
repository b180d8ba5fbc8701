#include "fmain.h"

#include <QAction>
#include <QMenuBar>

TForm1 *Form1 = nullptr;

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvane Submit"));
    resize(503, 370);

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    Exit1 = File1->addAction(QStringLiteral("E&xit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}
