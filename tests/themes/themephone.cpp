#include "themephone.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <ZApplication.h>
#include <ZAutomation.h>

#include "programtests.h"
#include "sandbox.h"
#include "vardel.h"

namespace ThemePhone {

namespace {

QString g_programDir;

QString phoneRoot()
{
    return QString::fromLocal8Bit(qgetenv("PHONE_SANDBOX_DIR"));
}

} // namespace

int main(int argc, char** argv, const QStringList& sandboxOptions)
{
    if (const int status = ProgramTests::start(argc, argv, sandboxOptions); status >= 0)
        return status;

    QTemporaryDir dir;
    g_programDir = dir.path() + "/prog/";
    ProgramTests::installBuiltFolders(g_programDir, {"languages", "images"});
    QFile cfg(g_programDir + "Vardel.cfg");
    if (cfg.open(QIODevice::WriteOnly))
        cfg.write("[Vardel]\nLanguage = en.lng\n");
    cfg.close();

    return ProgramTests::runAsProgram(argc, argv, QFile::encodeName(g_programDir + "vardel"), app);
}

QString programDir()
{
    return g_programDir;
}

QString hostPath(const QString& phonePath)
{
    // The program directory is an ordinary directory of the test.
    if (phonePath.startsWith(g_programDir))
        return phonePath;
    return phoneRoot() + phonePath;
}

namespace {

// Phone paths are bytes, one character each, as the program holds them.
std::filesystem::path bytePath(const QString& path)
{
    return std::filesystem::path(path.toLatin1().toStdString());
}

QString fromBytePath(const std::filesystem::path& path)
{
    return QString::fromLatin1(QByteArray::fromStdString(path.native()));
}

QByteArray readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream content;
    content << in.rdbuf();
    return QByteArray::fromStdString(content.str());
}

} // namespace

void write(const QString& phonePath, const QByteArray& bytes)
{
    const std::filesystem::path path = bytePath(hostPath(phonePath));
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out) << path;
    out.write(bytes.constData(), bytes.size());
}

QByteArray read(const QString& phonePath)
{
    return readBytes(bytePath(hostPath(phonePath)));
}

bool exists(const QString& phonePath)
{
    std::error_code ignored;
    return std::filesystem::symlink_status(bytePath(hostPath(phonePath)), ignored).type()
        != std::filesystem::file_type::not_found;
}

void remove(const QString& phonePath)
{
    std::error_code ignored;
    std::filesystem::remove_all(bytePath(hostPath(phonePath)), ignored);
}

QMap<QString, QByteArray> tree(const QString& phonePath)
{
    QMap<QString, QByteArray> files;
    const std::filesystem::path root = bytePath(hostPath(phonePath));
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file())
            files[fromBytePath(it->path()).mid(fromBytePath(root).size())] = readBytes(it->path());
    }
    return files;
}

QByteArray desktopEntry(const QList<QPair<QString, QString>>& entries)
{
    QByteArray text = "[Desktop Entry]\n";
    for (const auto& [key, value] : entries)
        text += key.toLatin1() + " = " + value.toLatin1() + "\n";
    return text;
}

QStringList themesetupRuns()
{
    QString log = QString::fromLatin1(read("/themesetup.log"));
    if (log == QLatin1String("<missing>"))
        return {};
    QStringList lines = log.split(u'\n');
    lines.removeAll(QString());
    return lines;
}

} // namespace ThemePhone

using namespace ThemePhone;

void ThemeTest::SetUp()
{
    ASSERT_TRUE(TestSandbox::inside());
    ASSERT_FALSE(phoneRoot().isEmpty());
    for (const char* dir : {"/ezxlocal/download/appwrite/skins", "/ezxlocal/download/appwrite/setuptheme",
                            "/ezxlocal/download/appwrite/setup", "/mmc/mmca1/.system/skins",
                            "/mmc/mmca1/.system/tempmpkg", "/usr/data_resource/skin",
                            "/usr/data_resource/theme", "/themesetup.log"})
        remove(QLatin1String(dir));
    for (const char* dir : {"/ezxlocal/download/appwrite/skins", "/ezxlocal/download/appwrite/setuptheme",
                            "/mmc/mmca1/.system/skins", "/usr/data_resource/skin", "/usr/data_resource/theme"})
        QDir().mkpath(hostPath(QLatin1String(dir)));
    for (const char* scratch : {"tempdesktop", "skintemp"})
        QFile::remove(programDir() + scratch);

    transcriptPath = programDir() + "../transcript.jsonl";
    scriptPath = programDir() + "../script.txt";
    QFile::remove(transcriptPath);
    qunsetenv("EZX_AUTOMATION");
    qputenv("EZX_TRANSCRIPT", QFile::encodeName(transcriptPath));
    ZAutomation::reset();
}

void ThemeTest::TearDown()
{
    qunsetenv("EZX_AUTOMATION");
    qunsetenv("EZX_TRANSCRIPT");
    ZAutomation::reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ThemeTest::unpack(const QByteArray& desktop, const QMap<QString, QByteArray>& skin, const QString& top)
{
    const QString work = "/mmc/mmca1/.system/tempmpkg/" + top;
    write(work + "/" + top + ".desktop", desktop);
    for (auto it = skin.begin(); it != skin.end(); ++it)
        write(work + "/skin/" + it.key(), it.value());
    write(programDir() + "tempdesktop", desktop);
}

void ThemeTest::installed(const QString& descriptor, const QByteArray& text, const QString& skinDir)
{
    write(descriptor, text);
    if (!skinDir.isEmpty())
        write(skinDir + "/wallpaper.png", "picture of " + skinDir.toLatin1());
}

std::unique_ptr<Vardel> ThemeTest::window()
{
    qunsetenv("EZX_AUTOMATION");
    ZAutomation::reset();
    auto w = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
    QApplication::processEvents();
    return w;
}

void ThemeTest::answers(const QStringList& lines)
{
    QFile f(scriptPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(lines.join(u'\n').toUtf8() + "\n");
    f.close();
    qputenv("EZX_AUTOMATION", QFile::encodeName(scriptPath));
    ZAutomation::reset();
}

QList<QJsonObject> ThemeTest::events(const QString& kind, const QString& cls) const
{
    QList<QJsonObject> found;
    QFile f(transcriptPath);
    if (!f.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject e = QJsonDocument::fromJson(line).object();
        if (e["event"].toString() == kind && (cls.isEmpty() || e["class"].toString() == cls))
            found << e;
    }
    return found;
}

QStringList ThemeTest::commands() const
{
    QStringList list;
    for (const QJsonObject& e : events("command"))
        list << e["command"].toString();
    return list;
}

QStringList ThemeTest::dialogTexts() const
{
    QStringList list;
    for (const QJsonObject& e : events("dialog"))
        list << e["text"].toString();
    return list;
}

QStringList ThemeTest::noticeTexts() const
{
    QStringList list;
    for (const QJsonObject& e : events("notice"))
        list << e["text"].toString();
    return list;
}

void ThemeTest::clearTranscript()
{
    QFile::remove(transcriptPath);
    // The transcript file is opened once; make the next line open it anew.
    ZAutomation::reset();
}
