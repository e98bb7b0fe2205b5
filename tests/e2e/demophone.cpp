#include "demophone.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const QString DemoPhone::programDir = QStringLiteral("/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/");
const QString DemoPhone::program = DemoPhone::programDir + QStringLiteral("vardel");

void DemoPhone::SetUp()
{
    ASSERT_TRUE(work.isValid());
    phone = work.filePath("phone");
    QProcess maker;
    maker.setProcessChannelMode(QProcess::MergedChannels);
    maker.start(VARDEL_SOURCE_DIR "/scripts/make-demo-phone", {phone, "--program", VARDEL_BUILD_DIR});
    ASSERT_TRUE(maker.waitForFinished(60000));
    ASSERT_EQ(maker.exitCode(), 0) << maker.readAll().constData();
}

TestSandbox::Result DemoPhone::run(const QStringList& command, const QStringList& script,
                                   const QStringList& options, const QStringList& env)
{
    const QString transcriptPath = work.filePath("transcript.jsonl");
    QFile::remove(transcriptPath);
    QStringList environment{"QT_QPA_PLATFORM=offscreen", "EZX_TRANSCRIPT=" + transcriptPath,
                            "EZX_MODEM=" + phone + "/modem.ini"};
    if (!script.isEmpty()) {
        const QString scriptPath = work.filePath("script.txt");
        QFile f(scriptPath);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(script.join('\n').toUtf8() + '\n');
        environment << "EZX_AUTOMATION=" + scriptPath;
    }
    environment << env;
    TestSandbox::Result result = TestSandbox::run(phone, command, environment, 120000, options);
    // In the sanitizer build a report of the program fails the test, even
    // where the exit status is not what the test looks at.
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"})
        EXPECT_FALSE(result.output.contains(report)) << result.output.constData();
    events.clear();
    QFile t(transcriptPath);
    if (t.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : t.readAll().split('\n')) {
            if (!line.isEmpty())
                events << QJsonDocument::fromJson(line).object();
        }
    }
    return result;
}

QList<QJsonObject> DemoPhone::eventsOf(const QString& kind, const QString& cls) const
{
    QList<QJsonObject> found;
    for (const QJsonObject& e : events) {
        if (e["event"].toString() == kind && (cls.isEmpty() || e["class"].toString() == cls))
            found << e;
    }
    return found;
}

QStringList DemoPhone::commands() const
{
    QStringList list;
    for (const QJsonObject& e : eventsOf("command"))
        list << e["command"].toString();
    return list;
}

QString DemoPhone::hostPath(const QString& phonePath) const
{
    return phone + phonePath;
}

namespace {

QByteArray hostBytes(const QString& phone, const QString& phonePath)
{
    return QFile::encodeName(phone) + phonePath.toLatin1();
}

} // namespace

QByteArray DemoPhone::read(const QString& phonePath) const
{
    const int fd = ::open(hostBytes(phone, phonePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray content;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, n);
    ::close(fd);
    return n < 0 ? QByteArray("<missing>") : content;
}

void DemoPhone::write(const QString& phonePath, const QByteArray& bytes) const
{
    const QByteArray path = hostBytes(phone, phonePath);
    // Parent folders first, each by its bytes.
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << "cannot write " << path.constData();
    const bool complete = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    EXPECT_TRUE(complete) << "cannot write " << path.constData();
}
