// Escape in every kind of dialog: it cancels, as the right soft key does.

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <ZMessageDlg.h>
#include <ZMultiSelectDlg.h>
#include <ZNumPickerDlg.h>
#include <ZSingleCaptureDlg.h>
#include <ZSingleSelectDlg.h>

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
        {"question",
         [] { return ZMessageDlg("Vardel", "Sure?", ZMessageDlg::TypeChoose, 0, nullptr, "ZMessageDlg").exec(); }},
        {"single choice",
         [] {
             ZSingleSelectDlg d("Vardel", QString(), nullptr, "ZSingleSelectDlg");
             d.addItemsList({"Phone", "Card"});
             return d.exec();
         }},
        {"several choices",
         [] {
             ZMultiSelectDlg d("Vardel", QString(), nullptr, "ZMultiSelectDlg");
             d.addItemsList({"Rock", "Pop"});
             return d.exec();
         }},
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
