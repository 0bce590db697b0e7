// The usage manual: the caption workflow step by step, and tips.
#pragma once

#include <QWidget>

class QPlainTextEdit;

class helper1 : public QWidget
{
    Q_OBJECT
public:
    explicit helper1(QWidget *parent = nullptr);

    void Form_Load();

    QPlainTextEdit *Text1;
};
