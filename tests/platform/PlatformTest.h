#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// One application object for the whole test program, and a fixture that
// points EZX_AUTOMATION / EZX_TRANSCRIPT at fresh files for each test.
void ensureApplication();

class PlatformTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the script and turns automation on (reset: read again).
    void useScript(const QString& script);
    // Turns automation off but keeps the transcript.
    void transcriptOnly();
    QList<QJsonObject> transcript() const;
    QList<QJsonObject> events(const QString& kind) const;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Runs the event loop until the script's steps quit it (or a guard
    // time passes, which fails the test).
    int runLoop();

    QTemporaryDir m_dir;
};
