// 公開先の設定: the site in the settings group "publish", the album's own
// subfolder, and the password, which goes to the keyring and nowhere else.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class pubset : public QDialog
{
    Q_OBJECT
public:
    // albumFolder is the folder the album is in, for its subfolder's name.
    pubset(QWidget *parent, const QString &albumFolder);

    void pubok_Click();
    void pubprotocol_Change();

    QComboBox *pubprotocol, *pubauth;
    QLineEdit *pubhost, *pubport, *pubuser, *pubfolder, *puburl, *pubsubfolder, *pubkeyfile, *pubpassword;
    QPushButton *pubok, *pubcancel;

private:
    QString albumFolder_;
};
