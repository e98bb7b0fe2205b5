// The registry texts on arbitrary files, read as the program reads them.
// The input's first byte picks the function:
//  - cleaned: idempotent, keeps every non-empty line in order, puts empty
//    lines only before later section headers, and the written file reads
//    with the same sections and keys as the original;
//  - withMpkgHandler: every line ends in a line feed, only the two lines
//    after each "[test/x-mpkg]" change, idempotent, and where that header
//    opens the section the package handler is what the section holds;
//  - nameOnLine: agrees with what the configuration reader reads for
//    "Name" from "[X]\n" + the line (as is and behind "Name =");
//  - mentions: true exactly when the text holds the ID;
//  - withoutSection: what is left is the file with one block of lines cut
//    out, the block beginning at the first header of the section and
//    holding no other header, and every other section reads as before;
//    nothing is cut only when no header names the section.
// Input: selector byte, then the file; for mentions and withoutSection, the
// ID, NUL, the file.

#include "fuzzing.h"

#include <ZConfigText.h>

#include "packages/registrytext.h"
#include "shell/shellrun.h"

#include <optional>

namespace {

// The file's lines as the program reads them.
QStringList linesOf(const QByteArray& bytes)
{
    const QString path = Fuzz::scratchDir() + QStringLiteral("/registry");
    FUZZ_CHECK(Fuzz::writeFile(path, bytes), "cannot write " + path.toStdString());
    return Shell::readLines(path);
}

QStringList nonEmpty(const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            kept << line;
    }
    return kept;
}

void checkCleaned(const QByteArray& file)
{
    const QStringList lines = linesOf(file);
    const QString text = RegistryText::cleaned(lines);
    const QStringList out = text.split(u'\n');
    const auto what = [&] { return "file " + Fuzz::show(file) + "\ncleaned " + Fuzz::show(text); };
    FUZZ_CHECK(RegistryText::cleaned(out) == text, what() + "\nnot idempotent");
    FUZZ_CHECK(nonEmpty(out) == nonEmpty(lines), what() + "\nlines lost, added or moved");
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i].isEmpty()) {
            FUZZ_CHECK(out.size() == 1 || (i + 1 < out.size() && (out[i + 1].startsWith(u'[') ? i > 0 : i == 0)),
                       what() + "\nstray empty line " + std::to_string(i));
        }
    }
    // Written with its line feed, the file says what it said.
    FUZZ_CHECK(ZConfigText::parse(text.toLatin1() + '\n') == ZConfigText::parse(file), what());
}

void checkMpkgHandler(const QByteArray& file)
{
    const QStringList lines = linesOf(file);
    const QString text = RegistryText::withMpkgHandler(lines);
    const auto what = [&] { return "file " + Fuzz::show(file) + "\nwritten " + Fuzz::show(text); };
    FUZZ_CHECK(text.isEmpty() == lines.isEmpty() && (text.isEmpty() || text.endsWith(u'\n')), what());
    QStringList out = text.split(u'\n');
    out.removeLast();

    const QString header = QString::fromLatin1(RegistryText::mpkgSection);
    const QString handler = QString::fromLatin1(RegistryText::mpkgHandler);
    qsizetype lastHeader = -3;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (i >= 1 && out[i - 1] == header) {
            FUZZ_CHECK(out[i] == QStringLiteral("AppID = ") + handler, what() + "\nline " + std::to_string(i));
        } else if (i >= 2 && out[i - 2] == header) {
            FUZZ_CHECK(out[i] == QStringLiteral("AppList = ") + handler, what() + "\nline " + std::to_string(i));
        } else {
            FUZZ_CHECK(i < lines.size() && out[i] == lines[i], what() + "\nline " + std::to_string(i));
            if (out[i] == header)
                lastHeader = i;
        }
    }
    FUZZ_CHECK(out.size() == std::max(lines.size(), lastHeader + 3), what() + "\nline count");
    FUZZ_CHECK(RegistryText::withMpkgHandler(out) == text, what() + "\nnot idempotent");

    // The first header of the section decides what the reader sees.
    const QByteArray name = QByteArray(RegistryText::mpkgSection).mid(1).chopped(1);
    for (const QString& line : out) {
        if (!ZConfigText::parse(line.toLatin1()).contains(name))
            continue;
        if (line == header) {
            const ZConfigText::Entries entries = ZConfigText::parse(text.toLatin1()).value(name);
            FUZZ_CHECK(entries.value("AppID") == handler.toLatin1() && entries.value("AppList") == handler.toLatin1(),
                       what());
        }
        break;
    }
}

void checkNameOnLine(const QByteArray& file)
{
    for (const QString& line : linesOf(file)) {
        for (const QString& candidate : {line, QStringLiteral("Name =") + line}) {
            const QByteArray bytes = candidate.toLatin1();
            const ZConfigText::Entries entries = ZConfigText::parse("[X]\n" + bytes).value("X");
            if (!entries.contains("Name"))
                continue;
            const QString name = RegistryText::nameOnLine(candidate);
            FUZZ_CHECK(name.toLatin1() == entries.value("Name"),
                       "line " + Fuzz::show(bytes) + "\nnameOnLine " + Fuzz::show(name) + "\nreader "
                           + Fuzz::show(entries.value("Name")));
        }
    }
}

void checkMentions(const QByteArray& input)
{
    const QList<QByteArray> parts = Fuzz::split(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                                std::size_t(input.size()), '\0', 2);
    const QString id = QString::fromLatin1(parts[0]);
    if (id.isEmpty() || id.contains(u'\n'))
        return;
    const QStringList lines = linesOf(parts[1]);
    FUZZ_CHECK(RegistryText::mentions(lines, id) == lines.join(u'\n').contains(id),
               "id " + Fuzz::show(id) + "\nfile " + Fuzz::show(parts[1]));
}

// The section a header line names (blanks at its ends aside, "[" to "]",
// the name between stripped too), or nothing for any other line.
std::optional<QByteArray> headerName(const QString& line)
{
    auto strip = [](QByteArray text) {
        while (!text.isEmpty() && QByteArray(" \t\r\v\f").contains(text.front()))
            text.remove(0, 1);
        while (!text.isEmpty() && QByteArray(" \t\r\v\f").contains(text.back()))
            text.chop(1);
        return text;
    };
    const QByteArray text = strip(line.toLatin1());
    if (text.size() < 2 || !text.startsWith('[') || !text.endsWith(']'))
        return std::nullopt;
    return strip(text.mid(1, text.size() - 2));
}

void checkWithoutSection(const QByteArray& input)
{
    const QList<QByteArray> parts = Fuzz::split(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                                std::size_t(input.size()), '\0', 2);
    const QByteArray id = parts[0];
    const QString path = Fuzz::scratchDir() + QStringLiteral("/registry");
    FUZZ_CHECK(Fuzz::writeFile(path, parts[1]), "cannot write " + path.toStdString());
    const QStringList lines = Shell::readLines(path, Shell::CarriageReturn::Kept);
    const std::optional<QString> text = RegistryText::withoutSection(lines, QString::fromLatin1(id));
    const auto what = [&] {
        return "id " + Fuzz::show(id) + "\nfile " + Fuzz::show(parts[1]) + "\nleft " + Fuzz::show(text.value_or("-"));
    };
    // The first header the reader takes for [id], and the next header.
    qsizetype from = 0;
    while (from < lines.size() && headerName(lines[from]) != id)
        ++from;
    FUZZ_CHECK(text.has_value() == (from < lines.size()), what());
    if (!text)
        return;
    qsizetype to = from + 1;
    while (to < lines.size() && !headerName(lines[to]))
        ++to;
    FUZZ_CHECK(*text == (lines.mid(0, from) + lines.mid(to)).join(u'\n'), what() + "\nnot exactly the section cut");
    // Every other section reads as before.
    const ZConfigText::Sections before = ZConfigText::parse(lines.join(u'\n').toLatin1());
    const ZConfigText::Sections after = ZConfigText::parse(text->toLatin1());
    for (auto section = before.cbegin(); section != before.cend(); ++section) {
        if (section.key() != id)
            FUZZ_CHECK(after.value(section.key()) == section.value(), what() + "\nsection " + Fuzz::show(section.key()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::runOneOf(data, size, {checkCleaned, checkMpkgHandler, checkNameOnLine, checkMentions, checkWithoutSection});
    return 0;
}
