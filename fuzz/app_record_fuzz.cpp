// What an installation writes and a removal decides on, for arbitrary
// values. The input's first byte picks the part:
//  - record: desktop-entry values such as a ZConfig holds them, appended to
//    an arbitrary registry under the ID chooseId picks for it; the registry
//    then reads as before plus the section [ID] holding exactly the values
//    put in (and the IMEI line on the card);
//  - chooseId: never returns a taken ID, always the prefix and the stamp, or
//    the prefix and digits at least as wide as a numeric stamp;
//  - folders: resolve gives an absolute path without "." or ".." components,
//    empty ones or a trailing "/", and is idempotent; removable means
//    strictly inside the base it names; a plain Directory as the installer
//    records it resolves to the installed folder and is removable; the
//    start command, read back as the shell reads its quoting, is the
//    resolved folder joined to the first word of Exec, then the other
//    words, each one argument.
// Input: selector byte, then values separated by NUL (see each part).

#include "fuzzing.h"

#include <ZConfigText.h>

#include "packages/appdirs.h"
#include "packages/listing.h"
#include "packages/record.h"
#include "packages/registrytext.h"
#include "shell/shellrun.h"

#include <QSet>

#include <optional>

namespace {

// The value a ZConfig reads from "key = bytes": the first line, blanks
// around it dropped.
QString held(const QByteArray& bytes)
{
    return QString::fromLatin1(ZConfigText::parse("[S]\nk = " + bytes).value("S").value("k"));
}

QByteArray digitsOf(const QByteArray& bytes)
{
    QByteArray digits;
    for (const char c : bytes) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

// Input: name, directory, exec, icon, big icon, animated icon, autorun,
// stamp (its digits), IMEI, registry. The first byte's low bit: the card.
void checkRecord(bool onCard, const QByteArray& input)
{
    const QList<QByteArray> v = Fuzz::split(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                            std::size_t(input.size()), '\0', 10);
    const AppRecord::DesktopEntry e{held(v[0]), held(v[1]), held(v[2]), held(v[3]),
                                    held(v[4]), held(v[5]), held(v[6])};
    const QString imeiLine = QStringLiteral("IMEI = ") + held(v[8]);
    const QByteArray& registry = v[9];
    const QString path = Fuzz::scratchDir() + QStringLiteral("/registry");
    FUZZ_CHECK(Fuzz::writeFile(path, registry), "cannot write " + path.toStdString());
    const QStringList lines = Shell::readLines(path);
    const QString id = AppRecord::chooseId(QString::fromLatin1(digitsOf(v[7])), [&](const QString& candidate) {
        return RegistryText::mentions(lines, candidate);
    });

    const AppRecord::Place place = onCard ? AppRecord::card() : AppRecord::phone();
    const QString record = AppRecord::record(place, e, id, imeiLine);
    // Appended as Shell::writeFile appends it: the text and a line feed.
    const QByteArray after = registry + record.toLatin1() + '\n';
    const auto what = [&] { return "registry " + Fuzz::show(registry) + "\nrecord " + Fuzz::show(record); };

    const QString folder = place.base + u'/' + e.directory + u'/';
    ZConfigText::Entries entries;
    const auto put = [&](const char* key, const QString& value) { entries.insert(key, value.toLatin1()); };
    put("AppID", u'{' + id + u'}');
    put("AniIcon", folder + e.aniIcon);
    put("Args", QString());
    put("Attribute", QStringLiteral("1"));
    put("BigIcon", folder + e.bigIcon);
    put("Daemon", QStringLiteral("0"));
    put("Directory", place.relativeBase + u'/' + e.directory);
    put("Exec", e.exec);
    if (onCard)
        put("IMEI", held(v[8]));
    put("FixedAllPosition", QStringLiteral("0"));
    put("FixedPosition", QStringLiteral("0"));
    put("GroupID", QStringLiteral("ezx"));
    put("Icon", e.icon.isEmpty() ? QString() : folder + e.icon);
    put("LockEnabled", QStringLiteral("0"));
    put("MassStorageStatus", QStringLiteral("1"));
    put("Name", e.name);
    put("Type", QStringLiteral("2"));
    put("UserID", QStringLiteral("root"));
    put("Visible", QStringLiteral("0"));

    ZConfigText::Sections expected = ZConfigText::parse(registry);
    FUZZ_CHECK(!expected.contains(id.toLatin1()), what() + "\nthe ID was taken");
    expected.insert(id.toLatin1(), entries);
    FUZZ_CHECK(ZConfigText::parse(after) == expected, what());
}

// Input: stamp, then the suffixes of the taken IDs, one a line.
void checkChooseId(const QByteArray& input)
{
    const QList<QByteArray> parts = Fuzz::split(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                                std::size_t(input.size()), '\0', 2);
    const QString stamp = QString::fromLatin1(parts[0]);
    const QString prefix = QString::fromLatin1(AppRecord::idPrefix);
    QSet<QString> taken;
    for (const QByteArray& suffix : parts[1].split('\n'))
        taken.insert(prefix + QString::fromLatin1(suffix));
    const QString id =
        AppRecord::chooseId(stamp, [&](const QString& candidate) { return taken.contains(candidate); });
    const auto what = [&] {
        return "stamp " + Fuzz::show(stamp) + "\ntaken " + Fuzz::show(parts[1]) + "\nid " + Fuzz::show(id);
    };
    FUZZ_CHECK(!taken.contains(id) && id.startsWith(prefix), what());
    const QString suffix = id.mid(prefix.size());
    if (suffix == stamp)
        return;
    FUZZ_CHECK(!suffix.isEmpty(), what());
    for (const QChar c : suffix)
        FUZZ_CHECK(c >= u'0' && c <= u'9', what());
    bool numeric = !stamp.isEmpty();
    for (const QChar c : stamp)
        numeric = numeric && c >= u'0' && c <= u'9';
    if (numeric)
        FUZZ_CHECK(suffix.size() >= stamp.size() && (suffix.size() > stamp.size() || suffix > stamp), what());
}

// The words of a command made of single-quoted pieces, \' and unquoted
// "/", separated by single blanks, as the shell reads them; nothing when
// anything else stands unquoted.
std::optional<QStringList> shellWords(const QString& command)
{
    QStringList words;
    QString word;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == u'\'')
                quoted = false;
            else
                word += c;
        } else if (c == u'\'') {
            quoted = true;
        } else if (c == u'\\' && i + 1 < command.size() && command[i + 1] == u'\'') {
            word += command[++i];
        } else if (c == u' ') {
            words << word;
            word.clear();
        } else if (c == u'/') {
            word += c;
        } else {
            return std::nullopt;
        }
    }
    if (quoted)
        return std::nullopt;
    return words << word;
}

// Input: a Directory value, NUL, an Exec value.
void checkFolders(const QByteArray& input)
{
    const QList<QByteArray> parts = Fuzz::split(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                                std::size_t(input.size()), '\0', 2);
    const QString directory = QString::fromLatin1(parts[0]);
    const QString resolved = AppDirs::resolve(directory);
    const auto what = [&] { return "directory " + Fuzz::show(directory) + "\nresolved " + Fuzz::show(resolved); };
    FUZZ_CHECK(resolved.startsWith(u'/'), what());
    FUZZ_CHECK(resolved == QStringLiteral("/") || !resolved.endsWith(u'/'), what());
    if (resolved != QStringLiteral("/")) {
        for (const QString& part : resolved.mid(1).split(u'/'))
            FUZZ_CHECK(!part.isEmpty() && part != QStringLiteral(".") && part != QStringLiteral(".."), what());
    }
    FUZZ_CHECK(AppDirs::resolve(resolved) == resolved, what() + "\nnot idempotent");

    const QString exec = QString::fromLatin1(parts[1]);
    QStringList expected;
    for (const QString& word : exec.split(u' ')) {
        for (const QString& piece : word.split(u'\t')) {
            if (!piece.isEmpty())
                expected << piece;
        }
    }
    const QString command = AppDirs::startCommand(resolved, exec);
    if (!expected.isEmpty())
        expected.first() = resolved + u'/' + expected.first();
    FUZZ_CHECK(command.isEmpty() ? expected.isEmpty() : shellWords(command) == expected,
               what() + "\nexec " + Fuzz::show(exec) + "\ncommand " + Fuzz::show(command));

    QString base;
    if (AppDirs::removable(resolved, &base)) {
        FUZZ_CHECK(base == AppRecord::phone().base || base == AppRecord::card().base, what());
        FUZZ_CHECK(resolved.startsWith(base + u'/') && resolved.size() > base.size() + 1,
                   what() + "\nbase " + Fuzz::show(base));
    }
    for (const AppRecord::Place& place : {AppRecord::phone(), AppRecord::card()}) {
        FUZZ_CHECK(!AppDirs::removable(place.base), "base " + Fuzz::show(place.base));
        if (!PackageListing::directoryFits(directory, directory))
            continue;
        const QString installed = AppDirs::resolve(place.relativeBase + u'/' + directory);
        FUZZ_CHECK(installed == place.base + u'/' + directory && AppDirs::removable(installed, &base)
                       && base == place.base && AppDirs::onCard(place.relativeBase + u'/' + directory) == place.card,
                   what() + "\ninstalled " + Fuzz::show(installed));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::runOneOf(data, size,
                   {[](const QByteArray& rest) { checkRecord(false, rest); },
                    [](const QByteArray& rest) { checkRecord(true, rest); }, checkChooseId, checkFolders});
    return 0;
}
