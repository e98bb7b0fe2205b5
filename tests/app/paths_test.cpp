// Phone paths as bytes: names that are UTF-8, names that are not, and
// strings that stand for no path, reached and listed without Qt's file
// classes. (Pictures and names for the eye are checked where the program
// directory and the browser use them: programdir_test, programdir_e2e_test.)

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "qtprint.h"
#include "shell/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The program's form of bytes (a plain "..." would be read as UTF-8).
QString bytes(const char* text)
{
    return QString::fromLatin1(text);
}

const QString utf8Name = bytes("Jos\xc3\xa9.mpkg"); // "José.mpkg" as UTF-8 bytes
const QString latin1Name = bytes("d\xe9.mpkg");     // a lone 0xE9 byte
const QString folder = bytes("/folder\xe9");

class ByteNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = Paths::fromQt(tmp.path());
        for (const QString& name : {utf8Name, latin1Name, QString(".hidden")})
            create(dir + "/" + name, "x");
        ASSERT_EQ(::mkdir(Paths::toBytes(dir + folder).constData(), 0755), 0);
        ASSERT_EQ(::symlink("folder\xe9", Paths::toBytes(dir + "/to folder").constData()), 0);
        ASSERT_EQ(::symlink(Paths::toBytes(latin1Name).constData(),
                            Paths::toBytes(dir + "/to file").constData()), 0);
        ASSERT_EQ(::symlink("nowhere", Paths::toBytes(dir + "/dangling").constData()), 0);
        ASSERT_EQ(::mkfifo(Paths::toBytes(dir + "/fifo").constData(), 0644), 0);
    }
    void TearDown() override
    {
        // QTemporaryDir cannot name what is not UTF-8.
        ::unlink(Paths::toBytes(dir + "/" + latin1Name).constData());
        ::rmdir(Paths::toBytes(dir + folder).constData());
    }
    static void create(const QString& path, const QByteArray& content)
    {
        const int fd = ::open(Paths::toBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path.toStdString();
        ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
    }

    QTemporaryDir tmp;
    QString dir;
};

TEST_F(ByteNames, ListingGivesEachNameAsItsBytesByKind)
{
    QStringList folders, files;
    ASSERT_TRUE(Paths::listDirectory(dir, &folders, &files));
    folders.sort();
    files.sort();
    EXPECT_EQ(folders, (QStringList{".", "..", folder.mid(1), "to folder"}));
    // The device-like fifo and the dangling link are neither.
    EXPECT_EQ(files, (QStringList{".hidden", utf8Name, latin1Name, "to file"}));

    EXPECT_FALSE(Paths::listDirectory(dir + "/" + latin1Name, &folders, &files));
    EXPECT_TRUE(folders.isEmpty() && files.isEmpty());
    EXPECT_FALSE(Paths::listDirectory(dir + "/missing", &folders, &files));
}

TEST_F(ByteNames, NamesReachTheirOwnFileOnly)
{
    const struct {
        QString path;
        bool exists, file, directory;
    } cases[] = {
        {dir + "/" + utf8Name, true, true, false},
        {dir + "/" + latin1Name, true, true, false},
        {dir + folder, true, false, true},
        {dir + "/to file", true, true, false},
        {dir + "/dangling", false, false, false},
        // The same names in Qt's decoded form name nothing.
        {dir + QString::fromUtf8("/José.mpkg"), false, false, false},
        {dir + QString::fromUtf8("/d\ufffd.mpkg"), false, false, false},
        // No byte stands for these: never some other file (no "?").
        {dir + QString::fromUtf8("/\u0416"), false, false, false},
        {dir + QString(QChar(0)) + "x", false, false, false},
        {QString(), false, false, false},
    };
    create(dir + "/?", "question mark");
    for (const auto& c : cases) {
        EXPECT_EQ(Paths::exists(c.path), c.exists) << c.path.toStdString();
        EXPECT_EQ(Paths::isRegularFile(c.path), c.file) << c.path.toStdString();
        EXPECT_EQ(Paths::isDirectory(c.path), c.directory) << c.path.toStdString();
    }
    EXPECT_TRUE(Paths::toBytes(dir + QString::fromUtf8("/\u0416")).isEmpty());

    EXPECT_EQ(Paths::canonical(dir + "/to folder/../" + latin1Name),
              Paths::canonical(dir) + "/" + latin1Name);
    EXPECT_EQ(Paths::canonical(dir + "/dangling"), "");
}

} // namespace

