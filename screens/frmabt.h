// The about box: what the program is, its version and how to reach its maker.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmabt : public QDialog
{
    Q_OBJECT
public:
    explicit frmabt(QWidget *parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void Command1_Click();
    // Asks whether the computer is online, then opens the maker's home page.
    void sakusya();

    QLabel *picIcon, *lblTitle, *exename, *lblDescription, *lblVersion;
    QPlainTextEdit *Text1;
    QFrame *Line1[2];
    QPushButton *Command1, *cmdOK;
};
