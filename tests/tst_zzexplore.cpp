#include "app/frmRecta.h"
#include "toolkit/canvas.h"
#include "toolkit/palette.h"
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QMessageBox>
class Explore : public QObject { Q_OBJECT
private Q_SLOTS:
  void run() {
    frmRecta w(numtext::NumberLocale::fullStop());
    w.show(); QVERIFY(QTest::qWaitForWindowActive(&w));
    std::vector<DrawCall> calls; w.canvas().setRecorder(&calls);
    auto f=[&](const char*n){return w.findChild<QLineEdit*>(QString::fromLatin1(n));};
    auto dump=[&]{ for (auto&c:calls){ if(c.kind==DrawCall::Kind::Point) continue; qDebug()<<int(c.kind)<<c.x1<<c.y1<<c.x2<<c.y2<<c.radius<<c.colour<<c.text;} calls.clear(); };
    f("txtAx(0)")->setFocus(); QTest::keyClicks(f("txtAx(0)"),QStringLiteral("1"));
    f("txtAy(0)")->setFocus(); QTest::keyClicks(f("txtAy(0)"),QStringLiteral("2"));
    qDebug()<<"--after A"; dump();
    f("txtAx(1)")->setFocus(); QTest::keyClicks(f("txtAx(1)"),QStringLiteral("3"));
    f("txtAy(1)")->setFocus(); QTest::keyClicks(f("txtAy(1)"),QStringLiteral("6"));
    qDebug()<<"--before enter"; dump();
    QTest::keyClick(f("txtAy(1)"), Qt::Key_Return);
    qDebug()<<"--after enter, focus"<<QApplication::focusWidget()->objectName(); dump();
    QTest::qWait(50); qDebug()<<"--after wait"; dump();
    QTest::mouseClick(f("txtAx(2)"), Qt::LeftButton);
    qDebug()<<"--after click"<<QApplication::focusWidget()->objectName(); dump();
    QTimer::singleShot(0,[&]{ auto*b=QApplication::activeModalWidget(); qDebug()<<"modal"<<b; if(b) qobject_cast<QMessageBox*>(b)->accept();});
    auto* ay2=f("txtAy(2)"); ay2->setFocus(); QTest::keyClicks(ay2,QStringLiteral("4"));
    QTest::keyClick(ay2, Qt::Key_Return);
    qDebug()<<"--after test"<<w.findChild<QWidget*>(QStringLiteral("txtresultat"))->property("plainText"); dump();
  }
};
QTEST_MAIN(Explore)
#include "tst_zzexplore.moc"
