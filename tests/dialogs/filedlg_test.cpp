#include <QTest>
#include <QTextCursor>

#include <ZMultiLineEdit.h>
#include <ZSoftKey.h>

#include <gtest/gtest.h>

#include "ZFileBrowser.h"
#include "ZFileDlg.h"
#include "dialogenv.h"

namespace {

QString key(const ZFileOpenDialog& dialog, int which)
{
    return dialog.softKey() ? dialog.softKey()->text(which) : QString();
}

} // namespace

TEST(FileOpenDialog, KeyTextsFollowTheLanguageFilesEncoding)
{
    // "Выбрать" / "Отмена" in UTF-8, marked as such.
    DialogEnv::setLanguage(QStringLiteral("ru.lng"),
                           "[VARDEL]\nUNICODE = 1\n"
                           "MENU_SELECT = \xd0\x92\xd1\x8b\xd0\xb1\xd1\x80\xd0\xb0\xd1\x82\xd1\x8c\n"
                           "MENU_CANCEL = \xd0\x9e\xd1\x82\xd0\xbc\xd0\xb5\xd0\xbd\xd0\xb0\n");
    {
        ZFileOpenDialog dialog;
        EXPECT_EQ(key(dialog, ZSoftKey::LEFT), QString::fromUtf8("Выбрать"));
        EXPECT_EQ(key(dialog, ZSoftKey::RIGHT), QString::fromUtf8("Отмена"));
    }

    // Latin-1 bytes without UNICODE; and UTF-8 bytes there stay bytes.
    DialogEnv::setLanguage(QStringLiteral("es.lng"),
                           "[VARDEL]\nMENU_SELECT = Eleg\xed\n"
                           "MENU_CANCEL = \xc3\xa9\n");
    {
        ZFileOpenDialog dialog;
        EXPECT_EQ(key(dialog, ZSoftKey::LEFT), QString::fromUtf8("Elegí"));
        EXPECT_EQ(key(dialog, ZSoftKey::RIGHT), QString::fromLatin1("\xc3\xa9"));
    }
}

TEST(FileOpenDialog, NoLanguageChosenGivesEmptyKeys)
{
    DialogEnv::setLanguage(QString(), QByteArray());
    ZFileOpenDialog dialog;
    EXPECT_EQ(key(dialog, ZSoftKey::LEFT), QString());
    EXPECT_EQ(key(dialog, ZSoftKey::RIGHT), QString());
}

TEST(FileSaveDialog, LeftAndRightMoveInTheNameWhileTheListHasFocus)
{
    ZFileSaveDialog save;
    save.show();
    save.nameField->setText(QStringLiteral("abc"));
    save.nameField->moveCursor(QTextCursor::End);
    save.browser->setFocus();
    QTest::keyClick(save.browser, Qt::Key_Left);
    QTest::keyClick(save.browser, Qt::Key_Left);
    QTest::keyClick(save.browser, Qt::Key_Right);
    EXPECT_EQ(save.nameField->textCursor().position(), 2);
    QTest::keyClick(save.browser, Qt::Key_Down); // still the list's
    EXPECT_EQ(save.browser->currentItem(), 1);
}
