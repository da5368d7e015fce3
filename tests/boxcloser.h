#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

/// Reads and closes every message box as a user would, appending what each said to a list.
class BoxCloser : public QObject
{
public:
    explicit BoxCloser(QStringList *said)
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [said] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                *said << box->text();
                box->accept();
            }
        });
    }

    void start() { timer.start(); }

private:
    QTimer timer;
};
