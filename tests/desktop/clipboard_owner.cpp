#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>

// Holds the X clipboard for the desktop soak, which has no xclip: each line read from standard
// input is a percent-encoded text that becomes the clipboard's content, answered with "ok" once
// it is set. The program has to keep running, as the owner of a selection serves every paste.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 1;
    QSocketNotifier ready(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&ready, &QSocketNotifier::activated, &app, [&] {
        const QByteArray line = input.readLine();
        if (line.isEmpty()) {
            QGuiApplication::quit();
            return;
        }
        QGuiApplication::clipboard()->setText(QUrl::fromPercentEncoding(line.trimmed()));
        std::fputs("ok\n", stdout);
        std::fflush(stdout);
    });
    return QGuiApplication::exec();
}
