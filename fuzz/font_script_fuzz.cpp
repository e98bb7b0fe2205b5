// The font start-up script for any font path and notice. Around the value
// of "FONT=" and the notice the script reads exactly as the phone expects
// it; the notice stands in it byte for byte; and busybox sh, inside the
// sealed phone sandbox, reads the assignment as it stands in the script and
// gets exactly the font path, whatever bytes it holds, never running any of
// them.
//
// Input: font path NUL notice. Each input starts one shell.

#include "fuzzing.h"
#include "sealedshell.h"

#include "settings/fontscript.h"
#include "shell/shellrun.h"

#include <QFile>

namespace {

QString scratch;

// What the system-font script's FONT line and notice line look like; the
// rest of any script is what surrounds them there.
constexpr char systemFontValue[] = "\"NO\"";
constexpr char noticeMark[] = "\x01notice\x01";

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    scratch = Fuzz::enterSealedShell(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 2);
    const QByteArray& path = parts[0];
    const QByteArray& notice = parts[1];
    if (notice.contains('\0'))
        return 0;  // a language text ends at its first zero byte

    // The frame, from the system-font script: the text before the value,
    // between the value and the notice, and after the notice.
    const QByteArray frame = FontScript::withSystemFont(QLatin1String(noticeMark)).toLatin1();
    const qsizetype valueAt = frame.indexOf("FONT=") + 5;
    const QByteArray head = frame.left(valueAt);
    const qsizetype noticeAt = frame.indexOf(noticeMark);
    const QByteArray middle = frame.mid(valueAt + qstrlen(systemFontValue),
                                        noticeAt - valueAt - qstrlen(systemFontValue));
    const QByteArray tail = frame.mid(noticeAt + qstrlen(noticeMark));

    const QByteArray script =
        FontScript::withFont(QString::fromLatin1(path), QString::fromLatin1(notice)).toLatin1();
    const auto what = [&](const QByteArray& got) {
        return "path " + Fuzz::show(path) + "\nnotice " + Fuzz::show(notice) + "\nscript "
            + Fuzz::show(script) + "\nshell read " + Fuzz::show(got);
    };
    FUZZ_CHECK(script.startsWith(head) && script.endsWith(middle + notice + tail), what(""));
    FUZZ_CHECK(script.count('\n') == frame.count('\n') + path.count('\n') + notice.count('\n'),
               what(""));
    const QByteArray value =
        script.mid(head.size(), script.size() - head.size() - middle.size() - notice.size() - tail.size());

    // The assignment as the script holds it, then the value it gave.
    const QString fragment = scratch + QStringLiteral("/assignment.sh");
    const QString printed = scratch + QStringLiteral("/font");
    FUZZ_CHECK(Fuzz::writeFile(fragment, "FONT=" + value + "\nprintf '%s' \"$FONT\" > "
                                             + printed.toLatin1() + '\n'),
               "cannot write " + fragment.toStdString());
    QFile::remove(printed);
    if (path.contains('\0')) {
        // No file is named so; all that counts is that nothing ran.
        Shell::run(QStringLiteral("sh %1"), fragment);
        return 0;
    }
    FUZZ_CHECK(Shell::run(QStringLiteral("sh %1"), fragment) == 0, what(""));
    const QByteArray got = Fuzz::readFile(printed);
    FUZZ_CHECK(got == path, what(got));
    return 0;
}
