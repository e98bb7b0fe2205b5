#include "sandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>

namespace TestSandbox {

namespace {

const char insideVariable[] = "VARDEL_TEST_IN_SANDBOX";

QString sandboxScript()
{
    return QStringLiteral(VARDEL_SOURCE_DIR "/scripts/phone-sandbox");
}

} // namespace

bool inside()
{
    return qEnvironmentVariableIsSet(insideVariable);
}

Result run(const QString& phoneDir, const QStringList& command, const QStringList& environment,
           int timeoutMs, const QStringList& options)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
        const qsizetype eq = entry.indexOf(u'=');
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The host's /tmp is not the sandbox's: the folders of the canaries
    // alive here must be writable inside, or a command that fires one would
    // go unnoticed.
    QStringList canaries;
    for (const QString& folder : qEnvironmentVariable("VARDEL_TEST_CANARIES").split(u':', Qt::SkipEmptyParts))
        canaries << "--writable" << folder;
    process.start(sandboxScript(), canaries + options + QStringList{phoneDir, "--"} + command);
    Result result;
    if (!process.waitForStarted()) {
        result.output = "phone-sandbox did not start";
        return result;
    }
    process.closeWriteChannel(); // the command reads an empty standard input
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.output = process.readAll() + "\n(timed out)";
        return result;
    }
    result.output = process.readAll();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128 + 9;
    return result;
}

int rerunInside(int argc, char** argv, const QStringList& options)
{
    if (inside())
        return -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0)
            return -1;
    }
    QTemporaryDir phone;
    if (!phone.isValid())
        return 2;
    QStringList command{QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath()};
    for (int i = 1; i < argc; ++i)
        command << QString::fromLocal8Bit(argv[i]);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(insideVariable, "1");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(sandboxScript(), options + QStringList{phone.path(), "--"} + command);
    if (!process.waitForStarted())
        return 2;
    process.closeWriteChannel();
    if (!process.waitForFinished(-1))
        return 2;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 2;
}

} // namespace TestSandbox
