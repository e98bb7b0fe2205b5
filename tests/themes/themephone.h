#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

class Vardel;

// The themes' tests run the window's operations in this process, inside a
// phone sandbox of their own (the ordinary firmware or the Brenik one), on
// the sandbox's real busybox. Dialogs are answered by EZX_AUTOMATION scripts;
// what the operations showed and ran is read back from the transcript.
namespace ThemePhone {

// The test program's main(): reruns itself inside a fresh sandbox with the
// options, lays out a program directory with the built languages and
// images (English chosen), and runs the tests.
int main(int argc, char** argv, const QStringList& sandboxOptions);

// The program directory (ends in "/").
QString programDir();

// Phone files, reached through the phone tree on the host side, so that the
// tests can prepare even the read-only theme area of the ordinary firmware.
QString hostPath(const QString& phonePath);
void write(const QString& phonePath, const QByteArray& bytes);
QByteArray read(const QString& phonePath); // "<missing>" when unreadable
bool exists(const QString& phonePath);
void remove(const QString& phonePath);    // a file or a whole directory
// Every file below a directory with its bytes, by path relative to it.
QMap<QString, QByteArray> tree(const QString& phonePath);

// "[Desktop Entry]" and one "key = value" line per entry.
QByteArray desktopEntry(const QList<QPair<QString, QString>>& entries);

// The lines the theme settings stub wrote (one per start).
QStringList themesetupRuns();

} // namespace ThemePhone

// A fresh theme area for each test: no skins, descriptors, theme settings,
// unpacked package or scratch files; transcript on, no script.
class ThemeTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A theme package as the unpacking leaves it: under the work directory
    // a top folder with the desktop file and a folder "skin" holding the
    // files, and the desktop entries in the program directory's tempdesktop.
    void unpack(const QByteArray& desktop, const QMap<QString, QByteArray>& skin,
                const QString& top = QStringLiteral("Package"));

    // A theme as the phone holds one: its descriptor and its skin folder.
    void installed(const QString& descriptor, const QByteArray& text, const QString& skinDir = QString());

    // The window, built with automation off (so that no script line is
    // taken as a main-window step).
    std::unique_ptr<Vardel> window();

    // From now on dialogs take these answers.
    void answers(const QStringList& lines);

    QList<QJsonObject> events(const QString& kind, const QString& cls = QString()) const;
    QStringList commands() const;
    // The texts of the dialogs shown, in order.
    QStringList dialogTexts() const;
    // The texts of the notices shown, in order.
    QStringList noticeTexts() const;
    // Forgets what the transcript holds so far.
    void clearTranscript();

    QString transcriptPath;
    QString scriptPath;
};
