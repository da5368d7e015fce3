#pragma once

// The test driver: the pupil's driver of the window (drive.h), the message-box closer, a main on
// offscreen screens of the test's own and a session in a window that is up.

#include "canvas.h"
#include "drive.h"
#include "frmRecta.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace drive {

/// Reads and closes every message box as a user would, appending what each said to a list
/// when given one.
class BoxCloser : public QObject
{
public:
    explicit BoxCloser(QStringList *said, int intervalMs = 10)
    {
        timer.setInterval(intervalMs);
        connect(&timer, &QTimer::timeout, this, [said] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (said)
                    *said << box->text();
                box->accept();
            }
        });
    }

    void start() { timer.start(); }

private:
    QTimer timer;
};

/// Runs the test on the offscreen screens that the JSON describes, which Qt reads from a file
/// before the application exists.
template <class Test> int runOnScreens(int argc, char *argv[], const char *screens)
{
#ifdef Q_OS_WIN
    // Qt splits the platform's arguments at every colon, a drive letter's too: the file is made
    // in the current folder and named relative to it.
    QTemporaryFile file(QStringLiteral("screens-XXXXXX.json"));
#else
    QTemporaryFile file;
#endif
    if (!file.open())
        return 1;
    file.write(screens);
    file.flush();
#ifdef Q_OS_WIN
    const QString path = QDir::current().relativeFilePath(file.fileName());
#else
    const QString path = file.fileName();
#endif
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace drive

/// The plane's model in a line of text, every value exact: what an entry that is refused must
/// leave as it was.
inline QString describe(const Plane &plane)
{
    const auto number = [](double value) { return QString::number(value, 'g', 17); };
    const auto line = [&number](const std::optional<DrawnLine> &drawn) {
        if (!drawn)
            return QStringLiteral("none");
        const numtext::StraightLine &l = drawn->line;
        return QStringList { number(l.vertical), number(l.x), number(l.slope), number(l.intercept),
            drawn->equation, drawn->slopeWorked, drawn->interceptWorked }
            .join(u'|');
    };
    const QString meeting = plane.meeting ? relationText(*plane.meeting) : QStringLiteral("none");
    const QString test = plane.test ? plane.test->worked : QStringLiteral("none");
    return QStringList { line(plane.current), number(plane.currentOnPlane), line(plane.kept),
        meeting, test }
        .join(u' ');
}

/// The window shown and active, and a pupil's session played into it, each field reached by a
/// click.
struct Session
{
    explicit Session(const numtext::NumberLocale &locale = numtext::NumberLocale::fullStop())
        : window(locale)
    {
        window.show();
        // A window that never comes up fails the test that asked for it, not just this
        // constructor: nothing after it would test anything.
        if (!QTest::qWaitForWindowActive(&window)) {
            QTest::qFail("the window did not come up", __FILE__, __LINE__);
            throw std::runtime_error("the window did not come up");
        }
        QCoreApplication::processEvents();
    }
    QLineEdit *field(const QString &name) { return drive::field(window, name); }
    QString equations()
    {
        return window.findChild<QPlainTextEdit *>(QStringLiteral("txtequacio2"))->toPlainText();
    }
    void play(const QString &script) { drive::play(window, script, drive::Reach::Click); }
    frmRecta window;
};
