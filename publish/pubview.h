// 送るファイルを確認: what 公開する would send, replace and (when asked)
// remove, before anything is sent.
#pragma once

#include "publish/plan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

class pubview : public QDialog
{
    Q_OBJECT
public:
    pubview(QWidget *parent, const publish::Plan &plan);

    void pubremove_Click();

    QLabel *pubsummary;
    QListWidget *publist;
    QCheckBox *pubremove;
    QPushButton *pubgo, *pubclose;

private:
    const publish::Plan &plan_;
};
