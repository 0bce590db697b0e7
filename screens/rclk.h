// The rename screen: gives the folder shown by the folder browser a new name.
#pragma once

#include <QWidget>

class main1;
class QLabel;
class QLineEdit;
class QPushButton;

class rclk : public QWidget
{
    Q_OBJECT
public:
    // Opens on the folder named by dirs::motodir; main1's folder browser
    // follows a rename.
    explicit rclk(main1 &owner);

    void Form_Load();
    void Command1_Click();
    void Command2_Click();

    QLabel *Label1, *Label2, *Label3;
    QLineEdit *Text1;
    QPushButton *Command1, *Command2;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    main1 &owner_;
    // The folder this screen renames: the one its Label2 shows, even after
    // another folder has been chosen in the browser meanwhile.
    QString source_;
};
