#include "programtests.h"

#include "sandbox.h"

#include <ZApplication.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <vector>

namespace ProgramTests {

int start(int& argc, char** argv, const QStringList& sandboxOptions)
{
    if (const int status = TestSandbox::rerunInside(argc, argv, sandboxOptions); status >= 0)
        return status;
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return -1;
}

void installBuiltFolders(const QString& programDir, const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QDir built(QStringLiteral(VARDEL_BUILD_DIR "/") + folder);
        QDir().mkpath(programDir + "/" + folder);
        for (const QString& name : built.entryList(QDir::Files))
            QFile::copy(built.filePath(name), programDir + "/" + folder + "/" + name);
    }
}

int runAsProgram(int argc, char** argv, const QByteArray& programPath, ZApplication*& app)
{
    QByteArray argv0 = programPath;
    std::vector<char*> args{argv0.data()};
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = int(args.size());
    args.push_back(nullptr);
    ZApplication application(count, args.data());
    app = &application;
    const int status = RUN_ALL_TESTS();
    app = nullptr;
    return status;
}

} // namespace ProgramTests
