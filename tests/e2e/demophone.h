#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "sandbox.h"

// A fresh demo phone (scripts/make-demo-phone) with the built program in its
// program directory, for tests that run the real program inside the phone
// sandbox, answered by EZX_AUTOMATION scripts, and read its transcript.
class DemoPhone : public ::testing::Test
{
protected:
    // The program directory on the phone, and the program in it.
    static const QString programDir;
    static const QString program;

    void SetUp() override;

    // Runs the command inside the sandbox on this phone, the script lines as
    // EZX_AUTOMATION (none when empty), and collects the transcript into
    // events. Options go to the sandbox ("--brenik", "--no-card"); env
    // entries (NAME=value, or a bare NAME to remove one) come on top of the
    // defaults (offscreen display, transcript, the phone's modem).
    TestSandbox::Result run(const QStringList& command, const QStringList& script,
                            const QStringList& options = {}, const QStringList& env = {});

    // The transcript events of one kind (and dialog class), in order.
    QList<QJsonObject> eventsOf(const QString& kind, const QString& cls = QString()) const;
    // The shell commands the run recorded, in order.
    QStringList commands() const;

    // The host path of a phone path, and a phone file's bytes ("<missing>"
    // when it cannot be read). read() and write() take the phone path in the
    // program's form, one character a byte, so they reach files whose names
    // are not UTF-8; hostPath() is for Qt's file classes and ASCII names.
    QString hostPath(const QString& phonePath) const;
    QByteArray read(const QString& phonePath) const;
    void write(const QString& phonePath, const QByteArray& bytes) const;

    QTemporaryDir work;
    QString phone;  // the phone tree's root on the host
    QList<QJsonObject> events;
};
