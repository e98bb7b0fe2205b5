// The real program on the demo phone, copied into a program directory named
// "dé" (UTF-8) and "d\xE9" (one Latin-1 byte), started through its path and
// through PATH. Each start must look and work exactly like the one in the
// usual directory: the same pictures of the window, its open menu, the about
// box and the window after a language change, and the same language dialogs.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "demophone.h"

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

// Readable JSON values in failure messages.
inline void PrintTo(const QJsonValue& value, std::ostream* out)
{
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

namespace {

const QString apps = "/ezxlocal/download/mystuff/.system/QTDownLoad/";

QByteArray readBytes(const QByteArray& path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    if (fd >= 0)
        ::close(fd);
    return content;
}

class Installed : public DemoPhone {
protected:
    void TearDown() override
    {
        // What Qt cannot name, QTemporaryDir cannot remove.
        const QByteArray root = QFile::encodeName(phone);
        ::nftw((root + apps.toLatin1() + "d\xe9").constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
        ::unlink(root + "/ezxlocal/download/mystuff/d\xe9.mpkg");
    }
    static int removeEntry(const char* path, const struct stat*, int, struct FTW*)
    {
        ::remove(path);
        return 0;
    }

    // Runs the language script with its pictures going to folder `label`.
    TestSandbox::Result runScript(const QStringList& command, const QString& label)
    {
        const QString shots = work.filePath(label);
        QDir().mkpath(shots);
        return run(command, {"shot " + shots + "/window.png", "softkey 0", "shot " + shots + "/menu.png",
                             "softkey 1", "menu 5", "shot " + shots + "/about.png", "accept", "menu 3",
                             "check 1", "shot " + shots + "/spanish.png", "tab 3", "menu 0", "reject"});
    }

    // What the run's language dialogs showed.
    QList<QJsonObject> choosers() const { return eventsOf("dialog", "ZSingleSelectDlg"); }
};

TEST_F(Installed, FromDirectoriesNamedByTheirBytesThroughPathAndPath)
{
    const struct {
        const char* printf; // the directory name for printf
        QByteArray bytes;
    } names[] = {{"d\\303\\251", "d\xc3\xa9"}, {"d\\351", "d\xe9"}};
    const struct {
        const char* label;
        const char* start;
    } ways[] = {
        {"path", "cd / && exec \"$dst/vardel\""},
        {"PATH", "cd / && PATH=\"$dst:$PATH\" exec vardel"},
    };

    struct Outcome {
        QString label;
        QString programDir; // as the program holds it: one character per byte
        TestSandbox::Result result;
        QList<QJsonObject> choosers;
        QStringList commands;
        QByteArray settings;
    };
    QList<Outcome> outcomes;
    for (const auto& name : names) {
        for (const auto& way : ways) {
            // A fresh copy of the installed program for every start.
            const QString script = QStringLiteral("dst=%1$(printf '%2'); rm -rf \"$dst\"; "
                                                  "cp -a %1vardel \"$dst\" && %3")
                                       .arg(apps, QLatin1String(name.printf), QLatin1String(way.start));
            Outcome o;
            o.label = QString("%1 %2").arg(QString::fromLatin1(name.bytes.toHex()), way.label);
            o.programDir = apps + QString::fromLatin1(name.bytes) + "/";
            o.result = runScript({"/bin/sh", "-c", script}, o.label);
            o.choosers = choosers();
            o.commands = commands();
            // The copy on the host, reached by its bytes.
            const QByteArray hostDir = QFile::encodeName(phone) + apps.toLatin1() + name.bytes;
            o.settings = readBytes(hostDir + "/Vardel.cfg");
            EXPECT_NE(::access(hostDir + "/ltemp", F_OK), 0) << o.label.toStdString();
            outcomes << o;
        }
    }
    // The usual directory last: its own start changes its language too.
    const auto usual = runScript({program}, "usual");
    ASSERT_EQ(usual.exitCode, 0) << usual.output.constData();
    const auto usualChoosers = choosers();
    ASSERT_EQ(usualChoosers.size(), 2);
    EXPECT_EQ(usualChoosers[0]["title"].toString(), "Language");
    EXPECT_EQ(usualChoosers[1]["title"].toString(), "Idioma");

    for (const Outcome& o : outcomes) {
        SCOPED_TRACE(o.label.toStdString());
        ASSERT_EQ(o.result.exitCode, 0) << o.result.output.constData();
        ASSERT_EQ(o.choosers.size(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(o.choosers[i]["title"], usualChoosers[i]["title"]);
            EXPECT_EQ(o.choosers[i]["entries"], usualChoosers[i]["entries"]);
            EXPECT_EQ(o.choosers[i]["checked"], usualChoosers[i]["checked"]);
        }
        EXPECT_TRUE(o.settings.contains("Language = es.lng")) << o.settings.constData();
        const QString dir = "'" + o.programDir + "'";
        EXPECT_TRUE(o.commands.contains("ls " + dir + "/languages/ > " + dir + "/ltemp"))
            << o.commands.join('\n').toStdString();

        // Icons, key texts, menu texts, the about box: as in the usual place.
        for (const char* shot : {"window.png", "menu.png", "about.png", "spanish.png"}) {
            const QImage seen(work.filePath(o.label + "/" + shot));
            const QImage expected(work.filePath(QString("usual/") + shot));
            ASSERT_FALSE(expected.isNull()) << shot;
            EXPECT_TRUE(seen == expected) << shot;
        }
    }
}

TEST_F(Installed, AnInstallArgumentKeepsItsBytes)
{
    // A package whose name holds the byte 0xE9, which decoding would lose:
    // the start must see that it exists and install instead of opening the
    // window.
    const QString script = "f=/ezxlocal/download/mystuff/$(printf 'd\\351').mpkg; "
                           "cp /ezxlocal/download/mystuff/Packages/OrbitSnake.mpkg \"$f\" && exec \"$0\" x \"$f\"";
    const auto result = run({"/bin/sh", "-c", script, program}, {"dump"});
    EXPECT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("dump").isEmpty());
    EXPECT_FALSE(commands().filter("busybox gzip -c -d").isEmpty());
}

TEST_F(Installed, TheFileDialogReturnsANameByItsBytes)
{
    // Installed in "dé", the autorun tab's file dialog picks a script whose
    // name holds the byte 0xE9; the start-up script then names exactly that
    // file, and ls finds it.
    const QString picked = "/ezxlocal/download/mystuff/scripts/x\\xe9.sh";
    const QString script = QStringLiteral("dst=%1$(printf 'd\\303\\251'); cp -a %1vardel \"$dst\" && "
                                          "printf '#!/bin/sh\\n' > /ezxlocal/download/mystuff/scripts/$(printf 'x\\351').sh && "
                                          "cd / && exec \"$dst/vardel\"")
                               .arg(apps);
    const auto result = run({"/bin/sh", "-c", script}, {"tab 1", "menu 0", "file " + picked, "accept"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    const QByteArray path = "/ezxlocal/download/mystuff/scripts/x\xe9.sh";
    // A byte beyond ASCII is single-quoted, as the shell reads it back.
    EXPECT_TRUE(read("/ezxlocal/download/mystuff/.autorun.csh").endsWith("\n'" + path + "'\n\n"));

    const auto listed = run({"/bin/sh", "-c",
                             "line=$(grep -x \"'/ezxlocal/download/mystuff/scripts/x.*'\" "
                             "/ezxlocal/download/mystuff/.autorun.csh) && eval \"ls $line\" > /dev/null && echo found"},
                            {});
    // (busybox ls prints the byte it cannot show as "?"; its status tells.)
    EXPECT_EQ(listed.exitCode, 0) << listed.output.constData();
    EXPECT_EQ(listed.output, "found\n");
    ::unlink(QFile::encodeName(phone) + path);
}

} // namespace
