#include "PlatformTest.h"

#include <QFile>
#include <QJsonDocument>
#include <QTimer>

#include "ZApplication.h"
#include "ZAutomation.h"

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static ZApplication* app = nullptr;
    if (!app)
        app = new ZApplication(argc, argv);
}

void PlatformTest::SetUp()
{
    ensureApplication();
    ASSERT_TRUE(m_dir.isValid());
    qunsetenv("EZX_AUTOMATION");
    qputenv("EZX_TRANSCRIPT", path(QStringLiteral("transcript.jsonl")).toLocal8Bit());
    ZAutomation::reset();
}

void PlatformTest::TearDown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    qunsetenv("EZX_AUTOMATION");
    qunsetenv("EZX_TRANSCRIPT");
    ZAutomation::reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void PlatformTest::useScript(const QString& script)
{
    QFile f(path(QStringLiteral("script.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(script.toUtf8());
    f.close();
    qputenv("EZX_AUTOMATION", f.fileName().toLocal8Bit());
    ZAutomation::reset();
}

void PlatformTest::transcriptOnly()
{
    qunsetenv("EZX_AUTOMATION");
    ZAutomation::reset();
}

QList<QJsonObject> PlatformTest::transcript() const
{
    QList<QJsonObject> list;
    QFile f(m_dir.filePath(QStringLiteral("transcript.jsonl")));
    if (!f.open(QIODevice::ReadOnly))
        return list;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
        EXPECT_EQ(err.error, QJsonParseError::NoError) << line.constData();
        EXPECT_TRUE(doc.isObject()) << line.constData();
        list.append(doc.object());
    }
    return list;
}

QList<QJsonObject> PlatformTest::events(const QString& kind) const
{
    QList<QJsonObject> list;
    for (const QJsonObject& o : transcript())
        if (o.value(QStringLiteral("event")).toString() == kind)
            list.append(o);
    return list;
}

int PlatformTest::runLoop()
{
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(99);
    });
    guard.start(20000);
    const int rc = QCoreApplication::exec();
    EXPECT_FALSE(timedOut) << "the script did not end the event loop";
    return rc;
}
