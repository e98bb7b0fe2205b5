#pragma once

#include <QString>
#include <QStringList>

// Running test code and the built program inside the phone sandbox
// (scripts/phone-sandbox), where shell commands, killall included, cannot
// reach the machine's own processes and files.
namespace TestSandbox {

// True inside a sandbox started by rerunInside().
bool inside();

// Starts this test executable again, with the same arguments, inside a
// fresh sandbox on an empty phone tree and returns its exit status. Returns
// -1, meaning "run the tests here", when already inside and for test
// listing (--gtest_list_tests), which runs outside.
// Sandbox options (such as "--brenik", "--no-card", "--ro-card",
// "--card-free", "2", "--phone-free", "0" or "--drop-dac"; see
// docs/sandbox.md) apply to that sandbox.
int rerunInside(int argc, char** argv, const QStringList& options = {});

struct Result {
    int exitCode = -1;   // exit status, or 128 + signal
    QByteArray output;   // standard output and error together
};

// Runs a command inside a sandbox on the phone tree phoneDir, with the
// extra environment (NAME=value entries) and sandbox options (as above),
// and waits for it (at most timeoutMs). The command's standard input is
// empty. The folders of the live Hostile::Canary objects are writable
// inside, so that a command there can fire them.
Result run(const QString& phoneDir, const QStringList& command,
           const QStringList& environment = {}, int timeoutMs = 60000,
           const QStringList& options = {});

} // namespace TestSandbox
