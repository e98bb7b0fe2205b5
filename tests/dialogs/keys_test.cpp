// Escape in the dialogs that handle keys of their own: it cancels, as the
// right soft key does (messages and choices: tests/platform).

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <ZNumPickerDlg.h>
#include <ZSingleCaptureDlg.h>

#include <functional>
#include <gtest/gtest.h>

#include "ZAboutDlg.h"
#include "ZFileDlg.h"

namespace {

// Escape pressed once the dialog waits, on whatever has the keys in it.
void escapeLater()
{
    QTimer::singleShot(0, qApp, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
    });
}

TEST(DialogKeys, EscapeCancelsEveryKindOfDialog)
{
    const struct {
        const char* kind;
        std::function<int()> run;
    } cases[] = {
        {"text entry", [] { return ZSingleCaptureDlg("Vardel", "Name", 0, nullptr, "ZSingleCaptureDlg").exec(); }},
        {"number picker", [] { return ZNumPickerDlg(10, nullptr, "ZNumPickerDlg").exec(); }},
        {"file open", [] { return ZFileOpenDialog().exec(); }},
        {"file save", [] { return ZFileSaveDialog().exec(); }},
        {"about", [] { return ZAboutDialog().exec(); }},
    };
    for (const auto& c : cases) {
        escapeLater();
        EXPECT_EQ(c.run(), 0) << c.kind;
    }
}

} // namespace
