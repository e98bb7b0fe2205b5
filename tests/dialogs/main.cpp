#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ZApplication.h>

#include <gtest/gtest.h>

#include "dialogenv.h"

namespace {
QTemporaryDir* scratch = nullptr;
}

QString DialogEnv::programDir()
{
    return scratch->path() + u'/';
}

void DialogEnv::setLanguage(const QString& fileName, const QByteArray& content)
{
    QDir(programDir()).mkpath(QStringLiteral("languages"));
    QFile settings(programDir() + QStringLiteral("Vardel.cfg"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Vardel]\n");
    if (fileName.isEmpty())
        return;
    settings.write("Language = " + fileName.toLatin1() + "\n");
    QFile language(programDir() + QStringLiteral("languages/") + fileName);
    ASSERT_TRUE(language.open(QIODevice::WriteOnly));
    language.write(content);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Also when run by hand or listed at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    scratch = &dir;

    // The built pictures, so that screenshots show them.
    const QDir images(QStringLiteral(VARDEL_BUILD_DIR "/images"));
    QDir(dir.path()).mkdir(QStringLiteral("images"));
    for (const QString& name : images.entryList(QDir::Files))
        QFile::copy(images.filePath(name), dir.path() + QStringLiteral("/images/") + name);

    QByteArray program = QFile::encodeName(dir.path()) + "/vardel";
    char* args[] = {program.data(), nullptr};
    int count = 1;
    ZApplication app(count, args);
    return RUN_ALL_TESTS();
}
