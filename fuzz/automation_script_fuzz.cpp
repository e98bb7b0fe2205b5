// The automation script reader on arbitrary scripts, read the way dialogs
// read it: answer after answer, a main-window step passed over as the steps
// runner would take it. Reading ends within one call per line, and every
// answer given is one its own script line reads back as.

#include "fuzzing.h"

#include <ZAutomation.h>
#include <ZAutomationScript.h>

#include <QFile>
#include <QStringList>

namespace {

using ZAutomation::Answer;

std::string describe(const QByteArray& script, const Answer& a)
{
    QStringList checks;
    for (const int c : a.checks)
        checks << QString::number(c);
    return "script " + Fuzz::show(script) + "\nanswer kind " + std::to_string(a.kind) + " line "
        + Fuzz::show(a.line) + " text " + Fuzz::show(a.text) + " number "
        + std::to_string(a.number) + " checks " + checks.join(u' ').toStdString();
}

// What the answer says, written back as a script line.
QString lineFor(const Answer& a)
{
    switch (a.kind) {
    case Answer::Accept: return QStringLiteral("accept");
    case Answer::Reject: return QStringLiteral("no");
    case Answer::Text: return QStringLiteral("text ") + a.text;
    case Answer::Number: return QStringLiteral("number ") + QString::number(a.number);
    case Answer::File: {
        // A file answer names bytes: written back with \xHH for each byte
        // but plain ASCII, and \\ for a backslash (a NUL stays itself).
        QString line = QStringLiteral("file ");
        for (const QChar c : a.text) {
            const char16_t b = c.unicode();
            if (b == u'\\')
                line += QStringLiteral("\\\\");
            else if (b != 0 && (b < 0x21 || b > 0x7e))
                line += QString::asprintf("\\x%02X", unsigned(b));
            else
                line += c;
        }
        return line;
    }
    case Answer::Check: {
        QString line = QStringLiteral("check");
        for (const int c : a.checks)
            line += u' ' + QString::number(c);
        return line;
    }
    case Answer::Cancelled: break;
    }
    return QString();
}

bool sameAnswer(const Answer& a, const Answer& b)
{
    return a.kind == b.kind && a.checks == b.checks && a.text == b.text && a.number == b.number;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray script(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = Fuzz::scratchDir() + QStringLiteral("/script");
    FUZZ_CHECK(Fuzz::writeFile(path, script), "cannot write " + path.toStdString());
    qputenv("EZX_AUTOMATION", QFile::encodeName(path));
    qunsetenv("EZX_TRANSCRIPT");
    ZAutomation::reset();
    FUZZ_CHECK(ZAutomation::active(), "script " + Fuzz::show(script));

    const qsizetype lines = script.count('\n') + 1;
    qsizetype calls = 0;
    for (;;) {
        FUZZ_CHECK(++calls <= lines + 1, "script " + Fuzz::show(script) + "\nreading does not end");
        const Answer a = ZAutomation::nextAnswer();
        if (a.kind == Answer::Cancelled) {
            if (a.line.isEmpty())
                break; // used up
            // A step stays for the steps runner; anything else was taken.
            if (ZAutomationScript::isStep(ZAutomationScript::keyword(a.line)))
                ZAutomationScript::takeLine();
            continue;
        }
        // One line each; only a file answer can name a line feed (as \x0A).
        FUZZ_CHECK(!a.line.contains(u'\n') && (a.kind == Answer::File || !a.text.contains(u'\n')),
                   describe(script, a));
        Answer again;
        FUZZ_CHECK(ZAutomationScript::parseAnswer(a.line, &again) && sameAnswer(a, again),
                   describe(script, a) + "\nits own line reads differently");
        Answer written;
        FUZZ_CHECK(ZAutomationScript::parseAnswer(lineFor(a), &written) && sameAnswer(a, written),
                   describe(script, a) + "\nwritten back as " + Fuzz::show(lineFor(a))
                       + " it reads differently");
        if (a.kind == Answer::Check) {
            for (const int c : a.checks)
                FUZZ_CHECK(c >= 0, describe(script, a));
        }
    }
    return 0;
}
