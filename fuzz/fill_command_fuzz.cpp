// Command filling run for real: for arbitrary values, in every quoting
// context the program's patterns use, the filled command, run by busybox sh
// inside the sealed phone sandbox, hands the shell exactly the values as
// words, glued to the pattern's own text where the pattern glues them.
//
// Input: one byte choosing the pattern, then up to three values separated
// by NUL bytes; further NULs stay in the third value, and such a command is
// refused. Each input starts one shell.

#include "fuzzing.h"
#include "sealedshell.h"

#include "shell/shellrun.h"

#include <QFile>
#include <QStringList>

namespace {

struct Pattern {
    const char* context;
    const char* command;
    // What each value given fills in turn: '1' to '3' the values, 'o' the
    // output file. A placeholder that stands twice takes two values.
    const char* arguments;
    // What the command must print: its words separated by '|' (each word
    // followed by a NUL in the output), the values' bytes where \1, \2 and
    // \3 stand.
    const char* words;
};

// printf '%s\0' writes each of its words and a NUL. A command substitution
// drops trailing line feeds, so where a value passes through one it carries
// a '.' that is taken off again.
const Pattern patterns[] = {
    {"unquoted", "printf '%s\\0' %1 %2 %3 > %4", "123o", "\1|\2|\3"},
    {"inside \"...\"", "printf '%s\\0' \"%1\" \"<%2>\" \"a b %3\" > \"%4\"", "123o",
     "\1|<\2>|a b \3"},
    {"inside '...'", "printf '%s\\0' '%1' '<%2>' 'a b %3' > '%4'", "123o", "\1|<\2>|a b \3"},
    {"glued across quotes", "printf '%s\\0' x%1\"%2\"'%3'y > %4", "123o", "x\1\2\3y"},
    {"inside `...`", "X=`printf '%s\\0' %1 \"%2\" '%3' > %4`", "123o", "\1|\2|\3"},
    {"inside $(...)", "X=$(printf '%s\\0' %1 \"%2\" '(%3)' > %4)", "123o", "\1|\2|(\3)"},
    {"`...` and $(...) inside \"...\"",
     "A=\"`printf '%s.' %1`\"; B=\"$(printf '%s.' \"%2\")\"; "
     "printf '%s\\0' \"${A%.}\" \"${B%.}\" \"%3\" > %4",
     "123o", "\1|\2|\3"},
    {"$( ( ... ) ) with a case and %1 twice",
     "X=$( (case %1 in *) printf '%s\\0' %1 ;; esac; printf '%s\\0' %2 %3) > %4 )", "1123o",
     "\1|\2|\3"},
    {"assignments", "A=%1 B=\"%2\" C='%3'; printf '%s\\0' \"$A\" \"$B\" \"$C\" > %4", "123o",
     "\1|\2|\3"},
};

QString output;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    output = Fuzz::enterSealedShell(argc, argv) + QStringLiteral("/words");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Pattern& pattern = patterns[data[0] % (sizeof patterns / sizeof *patterns)];
    const QList<QByteArray> values = Fuzz::split(data + 1, size - 1, '\0', 3);

    QStringList arguments;
    for (const char* a = pattern.arguments; *a; ++a)
        arguments << (*a == 'o' ? output : QString::fromLatin1(values[*a - '1']));
    QByteArray expected;
    for (const char* w = pattern.words; *w; ++w) {
        if (*w == '|')
            expected += '\0';
        else if (*w >= '\1' && *w <= '\3')
            expected += values[*w - '\1'];
        else
            expected += *w;
    }
    expected += '\0';

    // The last value keeps any further NULs: a command holding one cannot
    // reach the shell whole and must be refused, so nothing runs.
    const bool refused = values[2].contains('\0');
    if (refused)
        expected = "<missing>";

    QFile::remove(output);
    const QString command = Shell::fillCommand(QString::fromLatin1(pattern.command), arguments);
    const int status = Shell::run(command);
    const QByteArray printed = Fuzz::readFile(output);
    const auto what = [&] {
        return std::string("context ") + pattern.context + "\npattern "
            + Fuzz::show(QByteArray(pattern.command)) + "\nvalues " + Fuzz::show(values[0]) + ", "
            + Fuzz::show(values[1]) + ", " + Fuzz::show(values[2]) + "\ncommand "
            + Fuzz::show(command) + "\nprinted " + Fuzz::show(printed) + "\nexpected "
            + Fuzz::show(expected) + "\nstatus " + std::to_string(status);
    };
    FUZZ_CHECK(printed == expected, what());
    FUZZ_CHECK(refused == (status == Shell::NotRun), what());
    return 0;
}
