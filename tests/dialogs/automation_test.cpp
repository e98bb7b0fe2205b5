#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <ZAutomation.h>

#include <gtest/gtest.h>

#include "dialogenv.h"

#include "ZAboutDlg.h"
#include "ZFileBrowser.h"
#include "ZFileDlg.h"

namespace {

// Runs dialogs against a script and reads back the dialog events.
class Scripted : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override
    {
        qunsetenv("EZX_AUTOMATION");
        qunsetenv("EZX_TRANSCRIPT");
        ZAutomation::reset();
    }

    void script(const QByteArray& lines)
    {
        QFile file(dir.filePath(QStringLiteral("script")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines);
        file.close();
        qputenv("EZX_AUTOMATION", QFile::encodeName(file.fileName()));
        qputenv("EZX_TRANSCRIPT", QFile::encodeName(dir.filePath(QStringLiteral("transcript"))));
        ZAutomation::reset();
    }

    QList<QJsonObject> dialogs() const
    {
        QList<QJsonObject> events;
        QFile file(dir.filePath(QStringLiteral("transcript")));
        if (!file.open(QIODevice::ReadOnly))
            return events;
        while (!file.atEnd()) {
            const QJsonObject event = QJsonDocument::fromJson(file.readLine()).object();
            if (event.value(QStringLiteral("event")) == QStringLiteral("dialog"))
                events << event;
        }
        return events;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(Scripted, AboutBoxTakesAcceptAndCancelsWhenUnanswered)
{
    script("accept\ncheck 1\n");
    ZAboutDialog about;
    EXPECT_EQ(about.exec(), 1);
    EXPECT_EQ(about.exec(), 0); // an answer for another kind of dialog
    EXPECT_EQ(about.exec(), 0); // script used up

    const QList<QJsonObject> events = dialogs();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0]["class"], QStringLiteral("ZAboutDialog"));
    EXPECT_EQ(events[0]["title"], QStringLiteral("Vardel"));
    EXPECT_TRUE(events[0]["text"].toString().startsWith(QStringLiteral("Vardel v0.2")));
    EXPECT_EQ(events[0]["answer"], QStringLiteral("accept"));
    EXPECT_EQ(events[0]["result"], 1);
    EXPECT_TRUE(events[1].contains(QStringLiteral("error")));
    EXPECT_EQ(events[2]["result"], 0);
}

TEST_F(Scripted, OpenDialogTakesFileAnswers)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub/folder")));
    QFile target(dir.filePath(QStringLiteral("sub/pick me.sh")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    const QString sub = QDir(dir.filePath(QStringLiteral("sub"))).canonicalPath();

    script(("file " + sub + "/pick me.sh\nfile " + sub + "/folder\nfile " + sub
            + "/missing\nreject\n")
               .toUtf8());
    ZFileOpenDialog picked;
    EXPECT_EQ(picked.exec(), 1);
    EXPECT_EQ(picked.fileName, sub + "/pick me.sh");
    EXPECT_EQ(picked.dirName, sub);

    ZFileOpenDialog folder;
    EXPECT_EQ(folder.exec(), 1);
    EXPECT_EQ(folder.fileName, QString(""));

    ZFileOpenDialog missing, rejected;
    EXPECT_EQ(missing.exec(), 0);
    EXPECT_EQ(rejected.exec(), 0);
    EXPECT_TRUE(rejected.fileName.isNull());

    const QList<QJsonObject> events = dialogs();
    ASSERT_EQ(events.size(), 4);
    EXPECT_EQ(events[0]["class"], QStringLiteral("ZFileOpenDialog"));
    EXPECT_EQ(events[0]["text"], sub);
    const QJsonArray entries = events[0]["entries"].toArray();
    EXPECT_EQ(entries.at(events[0]["checked"].toArray().at(0).toInt()), QStringLiteral("pick me.sh"));
    EXPECT_TRUE(events[2].contains(QStringLiteral("error")));
}

TEST_F(Scripted, SaveDialogStaysOpenWithoutAName)
{
    script("accept\naccept\ntext notes.txt\n");
    ZFileSaveDialog save;
    EXPECT_EQ(save.exec(), 1);
    EXPECT_EQ(save.fileName, QStringLiteral("notes.txt"));
    EXPECT_EQ(save.dirName, QStringLiteral("/"));

    // The message the refused accept showed, that answer with the dialog
    // still open, then the accepted name.
    const QList<QJsonObject> events = dialogs();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0]["title"], QStringLiteral("Error"));
    EXPECT_EQ(events[1]["class"], QStringLiteral("ZFileSaveDialog"));
    EXPECT_TRUE(events[1]["result"].isNull());
    EXPECT_EQ(events[2]["result"], 1);
}
