#pragma once

#include <QMainWindow>

class QAction;
class QMenu;

// The main window. So far its title, size and File > Exit.
class TForm1 final : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    QMenu *File1 = nullptr;
    QAction *Exit1 = nullptr;
};

// The main window; set from the moment it is allocated.
extern TForm1 *Form1;
