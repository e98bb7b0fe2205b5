#include <QDir>
#include <QFile>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <ZSoftKey.h>

#include <gtest/gtest.h>

#include "dialogenv.h"

#include "ZFileBrowser.h"
#include "ZFileDlg.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A small tree: folders and files of both letter cases, hidden ones too.
class BrowserTree : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        QDir root(tree.path());
        for (const char* folder : {"B", "a", ".hid", "a/inner"})
            ASSERT_TRUE(root.mkpath(QLatin1String(folder)));
        for (const char* file : {"b.txt", "A.txt", ".hidden", "a/inner.txt"}) {
            QFile f(root.filePath(QLatin1String(file)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        dir = QDir(tree.path()).canonicalPath();
    }

    QStringList names() const
    {
        QStringList list;
        for (int i = 0; i < browser.count(); ++i)
            list << browser.rowName(i);
        return list;
    }
    int row(const QString& name) const { return int(names().indexOf(name)); }

    QTemporaryDir tree;
    QString dir;
    FileBrowser browser{QStringLiteral("*"), QStringLiteral("%I%M"), nullptr, 0,
                        ZSkinService::clsZLabel};
};

using Row = BrowserRow;

} // namespace

TEST(BrowserRows, OrderBackRowAndDots)
{
    const QList<Row> rows = browserRows({"b", ".", "..", "B", ".x"}, {"z", "Y", ".h"}, "/t");
    const QList<Row> expected = {{Row::Folder, ".."}, {Row::Folder, ".x"}, {Row::Folder, "B"},
                                 {Row::Folder, "b"},  {Row::File, ".h"},   {Row::File, "Y"},
                                 {Row::File, "z"}};
    EXPECT_EQ(rows, expected);

    // A listing without "..": a back row on top, except at the very top.
    EXPECT_EQ(browserRows({"."}, {"f"}, "/t").first(), (Row{Row::Back, ".."}));
    EXPECT_EQ(browserRows({"."}, {"f"}, "/").size(), 1);
    EXPECT_EQ(browserRows({"."}, {}, "x").size(), 0);
}

TEST_F(BrowserTree, ListsFoldersThenFilesHiddenIncluded)
{
    const QString viaLink = QDir::tempPath() + QStringLiteral("/vardel-browser-link");
    QFile::remove(viaLink);
    ASSERT_TRUE(QFile::link(tree.path(), viaLink));
    browser.setDir(viaLink);
    QFile::remove(viaLink);

    EXPECT_EQ(browser.currentDir, dir);
    EXPECT_EQ(names(), QStringList({"..", ".hid", "B", "a", ".hidden", "A.txt", "b.txt"}));
}

TEST_F(BrowserTree, HighlightPicksFilesAndFoldersClearThePick)
{
    browser.setDir(dir);
    QSignalSpy picked(&browser, &FileBrowser::picked);
    QSignalSpy isFile(&browser, &FileBrowser::isFilePicked);

    browser.setCurrentItem(row("b.txt"));
    EXPECT_EQ(browser.pickedPath, dir + "/b.txt");
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).toString(), dir + "/b.txt");

    browser.setCurrentItem(row("B"));
    EXPECT_EQ(browser.pickedPath, QString(""));
    EXPECT_EQ(isFile.count(), 2);
    EXPECT_EQ(isFile.at(1).at(0).toBool(), false);
}

TEST_F(BrowserTree, EntersFoldersBySelectAndClick)
{
    browser.setDir(dir);
    browser.setCurrentItem(row("a"));
    browser.activateCurrent(); // Enter: selected
    EXPECT_EQ(browser.currentDir, dir + "/a");
    EXPECT_EQ(names(), QStringList({"..", "inner", "inner.txt"}));

    emit browser.clicked(browser.item(row("..")));
    EXPECT_EQ(browser.currentDir, dir);

    // Selecting a file picks it and stays.
    browser.pickedPath.clear();
    emit browser.selected(row("A.txt"));
    EXPECT_EQ(browser.pickedPath, dir + "/A.txt");
    EXPECT_EQ(browser.currentDir, dir);
}

TEST_F(BrowserTree, GoingUpHighlightsTheFolderLeft)
{
    const struct {
        const char* from;
        bool click; // else Enter (selected)
        const char* highlighted;
    } cases[] = {
        {"a", false, "a"},
        {"a", true, "a"},
        {"a/inner", false, "inner"},
        {".hid", true, ".hid"},
    };
    for (const auto& c : cases) {
        browser.setDir(dir + "/" + c.from);
        if (c.click)
            emit browser.clicked(browser.item(row("..")));
        else
            emit browser.selected(row(".."));
        EXPECT_EQ(browser.currentItem(), row(c.highlighted)) << c.from;
        EXPECT_EQ(browser.pickedPath, QString("")) << "a folder picks no file";
    }
}

TEST_F(BrowserTree, ParentOfRootIsRoot)
{
    browser.setDir(QStringLiteral("/"));
    ASSERT_GE(row(".."), 0);
    emit browser.selected(row(".."));
    EXPECT_EQ(browser.currentDir, QStringLiteral("/"));
    EXPECT_GE(row(".."), 0);
    EXPECT_LT(row(".."), row("tmp"));
}

TEST_F(BrowserTree, UnreadableDirectoryLeavesListEmpty)
{
    browser.setDir(dir);
    for (const QString& bad : {dir + "/missing", dir + "/b.txt"}) {
        browser.setDir(bad);
        EXPECT_EQ(browser.count(), 0) << bad.toStdString();
        EXPECT_EQ(browser.currentDir, dir);
    }

    // A folder without read permission. Root reads it anyway, so a root run
    // looks at it as an ordinary user for the moment.
    const QString locked = dir + "/B";
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && ::seteuid(65534) != 0) {
        GTEST_SKIP() << "running as root and cannot take another user's rights";
    }
    browser.setDir(locked);
    if (asRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(browser.count(), 0);
    EXPECT_EQ(browser.currentDir, dir);
}

TEST_F(BrowserTree, OpenDialogAcceptsWhatIsHighlighted)
{
    ZFileOpenDialog dialog;
    EXPECT_EQ(dialog.browser->currentDir, QStringLiteral("/"));
    dialog.browser->setDir(dir);
    dialog.browser->setCurrentItem(dialog.browser->count() - 1); // b.txt
    QTimer::singleShot(0, &dialog, [&] { dialog.softKey()->click(ZSoftKey::LEFT); });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(dialog.fileName, dir + "/b.txt");
    EXPECT_EQ(dialog.dirName, dir);

    // A folder highlighted last gives no file.
    dialog.browser->setCurrentItem(0);
    QTimer::singleShot(0, &dialog, [&] { dialog.softKey()->click(ZSoftKey::LEFT); });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(dialog.fileName, QString(""));

    ZFileOpenDialog cancelled;
    QTimer::singleShot(0, &cancelled, [&] { cancelled.softKey()->click(ZSoftKey::RIGHT); });
    EXPECT_EQ(cancelled.exec(), 0);
    EXPECT_TRUE(cancelled.fileName.isNull());
}

TEST_F(BrowserTree, DoubleClickEntersOneFolderOnly)
{
    // The click of a double click enters the folder; the rest of the double
    // click must not go on into whatever row then lies under the mouse.
    for (const char* folder : {"a/x1", "a/x2", "a/x3"})
        ASSERT_TRUE(QDir(dir).mkpath(QLatin1String(folder)));
    browser.resize(240, 300);
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    browser.setDir(dir);
    const int a = row("a");
    int y = browser.rowHeight(a) / 2;
    for (int i = 0; i < a; ++i)
        y += browser.rowHeight(i);

    QTest::mouseDClick(browser.windowHandle(), Qt::LeftButton, {},
                       browser.viewport()->mapTo(&browser, QPoint(40, y)));
    EXPECT_EQ(browser.currentDir, dir + "/a");

    // Later clicks work as ever.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(browser.windowHandle(), Qt::LeftButton, {},
                      browser.viewport()->mapTo(&browser, QPoint(40, y)));
    EXPECT_EQ(browser.currentDir, dir + "/a/x2");
}
