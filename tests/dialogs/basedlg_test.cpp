#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <ZSoftKey.h>

#include <gtest/gtest.h>

#include "dialogenv.h"

#include "BaseDlg.h"
#include "ZAboutDlg.h"

namespace {

// The dialog's slots are protected; reach them as the soft keys do.
void done(MyBaseDlg* dialog, int r)
{
    QMetaObject::invokeMethod(dialog, "done", Q_ARG(int, r));
}

void later(int msec, const std::function<void()>& work)
{
    QTimer::singleShot(msec, qApp, work);
}

// Runs a loop of the caller's own, as a main window's loop would be, until
// it is left with 42 or times out with -1.
int outerLoop(const std::function<void()>& work)
{
    QEventLoop loop;
    later(0, work);
    later(200, [&] { loop.exit(42); });
    QTimer::singleShot(5000, &loop, [&] { loop.exit(-1); });
    return loop.exec();
}

} // namespace

TEST(MyBaseDlg, AboutKeyAcceptsAndHides)
{
    ZAboutDialog about;
    later(0, [&] {
        EXPECT_TRUE(about.isVisible());
        ASSERT_NE(about.softKey(), nullptr);
        EXPECT_EQ(about.softKey()->text(ZSoftKey::LEFT), QStringLiteral("Aceptar"));
        about.softKey()->click(ZSoftKey::LEFT);
    });
    EXPECT_EQ(about.exec(), 1);
    EXPECT_FALSE(about.isVisible());
}

TEST(MyBaseDlg, DoneOutsideExecLeavesNoOtherLoop)
{
    MyBaseDlg never;
    // Never run: done() hides and stores, and the caller's loop goes on.
    EXPECT_EQ(outerLoop([&] { done(&never, 5); }), 42);
    EXPECT_FALSE(never.isVisible());

    // Run once, then done() again from inside another loop: that loop is
    // not the dialog's and must go on.
    MyBaseDlg once;
    later(0, [&] { done(&once, 1); });
    EXPECT_EQ(once.exec(), 1);
    EXPECT_EQ(outerLoop([&] { done(&once, 0); }), 42);
}

TEST(MyBaseDlg, FirstDoneOfARunWins)
{
    MyBaseDlg dialog;
    later(0, [&] {
        done(&dialog, 1);
        done(&dialog, 0); // a second key press before exec() returned
    });
    EXPECT_EQ(dialog.exec(), 1);

    // A new run starts from 0 again and may end differently.
    later(0, [&] { done(&dialog, 0); });
    EXPECT_EQ(dialog.exec(), 0);
}

TEST(MyBaseDlg, NestedDialogsEachLeaveTheirOwnLoop)
{
    MyBaseDlg outer, inner;
    int innerResult = -1;
    later(0, [&] {
        // Ending the outer dialog while the inner one waits must not end
        // the inner one: it returns only on its own done().
        later(0, [&] { done(&outer, 7); });
        later(50, [&] { done(&inner, 3); });
        innerResult = inner.exec();
    });
    EXPECT_EQ(outer.exec(), 7);
    EXPECT_EQ(innerResult, 3);
}

TEST(MyBaseDlg, DeletedWhileWaitingReturns)
{
    QPointer<MyBaseDlg> dialog = new MyBaseDlg;
    later(0, [&] { delete dialog.data(); });
    EXPECT_EQ(dialog->exec(), 0);
    EXPECT_TRUE(dialog.isNull());
}

TEST(AboutText, IconPathSurvivesAnyDirectoryName)
{
    const QString text = aboutText(QStringLiteral("/a b/\"x\"<i>/"), true);
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("<qt><img src=\"/a b/&quot;x&quot;&lt;i&gt;//images/icon.png\"><br>")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("</font></qt>")));
    EXPECT_FALSE(aboutText(QStringLiteral("/p/"), false).contains(QStringLiteral("<img")));
}
