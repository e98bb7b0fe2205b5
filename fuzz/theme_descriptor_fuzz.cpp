// The theme descriptor and the theme places on arbitrary desktop-entry
// values. For a theme the installer accepts, the descriptor read back as an
// INI file gives every value as it was put in, the skin directory and each
// event file under it, and no key more; the skin directory is removable and
// so is the descriptor file. Any path called a removable skin or descriptor
// is exactly one plain name inside one of the bases.
//
// Input: a flag byte (bit 0: the doubled VMAlert slash; bits 1-2: the skin
// base), then ThemeName NUL Folder NUL Author NUL the twelve event values,
// NUL-separated.

#include "fuzzing.h"

#include <ZConfigText.h>

#include "themes/descriptor.h"
#include "themes/themeplaces.h"

#include <QDir>

namespace {

// A path the removal may delete: one plain name directly inside the base,
// as the path's tidy form shows it.
bool isPlainChildOf(const QString& path, const char* base)
{
    const QString clean = QDir::cleanPath(path);
    if (clean != path || !path.startsWith(QLatin1String(base) + u'/'))
        return false;
    const QString name = path.mid(qsizetype(qstrlen(base)) + 1);
    return !name.isEmpty() && !name.contains(u'/') && name != QLatin1String("..")
        && name != QLatin1String(".");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool doubled = data[0] & 1;
    static const char* const bases[] = {ThemePlaces::phoneSkins, ThemePlaces::cardSkins,
                                        ThemePlaces::firmwareSkins, ThemePlaces::phoneSkins};
    const QString base = QLatin1String(bases[(data[0] >> 1) & 3]);
    const QList<QByteArray> parts =
        Fuzz::split(data + 1, size - 1, '\0', 3 + ThemeDescriptor::eventKeyCount);

    // Whatever is fuzzed, a path called removable is one name inside a base.
    const QString path = QString::fromLatin1(parts[0]);
    if (ThemePlaces::isRemovableSkin(path))
        FUZZ_CHECK(isPlainChildOf(path, ThemePlaces::phoneSkins)
                       || isPlainChildOf(path, ThemePlaces::cardSkins)
                       || isPlainChildOf(path, ThemePlaces::firmwareSkins),
                   "skin " + Fuzz::show(parts[0]));
    if (ThemePlaces::isRemovableDescriptor(path))
        FUZZ_CHECK(isPlainChildOf(path, ThemePlaces::installedDescriptors)
                       || isPlainChildOf(path, ThemePlaces::firmwareDescriptors),
                   "descriptor " + Fuzz::show(parts[0]));

    // The values a desktop entry can hold: one line each, no blanks around.
    for (const QByteArray& value : parts) {
        if (!ZConfigText::isValidValue(value) || value.contains('\0'))
            return 0;
    }
    ThemeDescriptor::Theme theme;
    theme.name = QString::fromLatin1(parts[0]);
    theme.folder = QString::fromLatin1(parts[1]);
    theme.author = QString::fromLatin1(parts[2]);
    for (int i = 0; i < ThemeDescriptor::eventKeyCount; ++i)
        theme.events << QString::fromLatin1(parts[3 + i]);
    if (!ThemePlaces::isInstallable(theme.name, theme.folder))
        return 0;

    const QString skin = base + u'/' + theme.folder;
    FUZZ_CHECK(ThemePlaces::isRemovableSkin(skin), "folder " + Fuzz::show(parts[1]));
    const QString descriptorDir = QLatin1String(ThemePlaces::installedDescriptors) + u'/';
    FUZZ_CHECK(ThemePlaces::isRemovableDescriptor(descriptorDir + theme.name + ".chm")
                   && ThemePlaces::isRemovableDescriptor(descriptorDir + theme.folder + ".phm"),
               "name " + Fuzz::show(parts[0]) + "\nfolder " + Fuzz::show(parts[1]));

    const QString text = ThemeDescriptor::text(theme, base, doubled);
    const QByteArray file = text.toLatin1() + '\n';
    const auto what = [&] { return "descriptor " + Fuzz::show(file); };
    FUZZ_CHECK(file.endsWith("\n\n"), what());

    ZConfigText::Entries config;
    config.insert("ThemeName", parts[0]);
    config.insert("Skin", skin.toLatin1());
    for (int i = 0; i < ThemeDescriptor::eventKeyCount; ++i) {
        if (parts[3 + i].isEmpty())
            continue;
        const bool extraSlash = doubled && i == ThemeDescriptor::eventKeyCount - 1;
        config.insert(ThemeDescriptor::eventKeys[i],
                      (extraSlash ? "/" : "") + skin.toLatin1() + '/' + parts[3 + i]);
    }
    const ZConfigText::Entries properties{
        {"CopyRight", parts[2]}, {"CreatedTime", ""}, {"ThemeSize", ""}};

    const ZConfigText::Sections read = ZConfigText::parse(file);
    FUZZ_CHECK(read.size() == 3 && read.value("").isEmpty(), what());
    FUZZ_CHECK(read.value(ThemeDescriptor::section(ThemeDescriptor::configHeader).toLatin1())
                   == config,
               what());
    FUZZ_CHECK(read.value(ThemeDescriptor::section(ThemeDescriptor::propertiesHeader).toLatin1())
                   == properties,
               what());
    return 0;
}
