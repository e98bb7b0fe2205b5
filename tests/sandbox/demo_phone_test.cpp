// scripts/make-demo-phone: the files the phone's programs and Vardel read,
// in the formats they expect; reproducible output; the scale options.

#include "script_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;
using namespace scripttest;

namespace {

const std::string appwrite = "ezxlocal/download/appwrite/";
const std::string progdir = "ezxlocal/download/mystuff/.system/QTDownLoad/vardel/";

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// section -> key -> value, the first occurrence winning, as the phone reads it.
using Ini = std::map<std::string, std::map<std::string, std::string>>;
Ini parseIni(const std::string &text)
{
    Ini ini;
    std::string section;
    for (const std::string &line : lines(text)) {
        if (!line.empty() && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            ini[section];
            continue;
        }
        const auto eq = line.find(" = ");
        if (eq != std::string::npos)
            ini[section].emplace(line.substr(0, eq), line.substr(eq + 3));
    }
    return ini;
}

class DemoPhone : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tmp = std::make_unique<TempDir>();
        const Result r = run(script("make-demo-phone") + " " + quote(phone().string()));
        ASSERT_EQ(r.status, 0) << r.output;
    }
    static void TearDownTestSuite() { tmp.reset(); }
    static fs::path phone() { return tmp->path() / "phone"; }
    static std::string file(const std::string &rel) { return readFile(phone() / rel); }
    static inline std::unique_ptr<TempDir> tmp;
};

TEST_F(DemoPhone, RegistriesAreTidyAndMatchTheInstalledFiles)
{
    int records = 0;
    for (const auto &[rel, card] : {std::pair{appwrite + "am/UserRegistry", false},
                                    std::pair{std::string("mmc/mmca1/.system/java/CardRegistry"), true}}) {
        const std::string text = file(rel);
        ASSERT_FALSE(text.empty()) << rel;
        // The form the registry clean-up leaves: one empty line before every
        // header but the first, no other empty line, a final line feed.
        EXPECT_NE(text.front(), '\n') << rel;
        EXPECT_EQ(text.find("\n\n\n"), std::string::npos) << rel;
        EXPECT_EQ(text.back(), '\n');
        const Ini ini = parseIni(text);
        for (const auto &[id, keys] : ini) {
            ++records;
            EXPECT_EQ(keys.at("AppID"), "{" + id + "}");
            const std::string dir = keys.at("Directory");
            const std::string base = card ? "../../mmc/mmca1/.system/QTDownLoad/" : "../../ezxlocal/download/mystuff/.system/QTDownLoad/";
            ASSERT_EQ(dir.rfind(base, 0), 0u) << dir;
            EXPECT_EQ(keys.count("IMEI"), card ? 1u : 0u) << id;
            if (id.rfind("10000000-0000-0000-0000-", 0) == 0) {
                EXPECT_EQ(id.size(), 36u) << id;
                EXPECT_TRUE(fs::is_regular_file(phone() / dir.substr(6) / keys.at("Exec"))) << id;
            }
        }
        // Every record ends with its Visible line (removal cuts up to it).
        const auto ls = lines(text);
        for (size_t i = 0; i < ls.size(); ++i) {
            if (i + 1 == ls.size() || ls[i + 1].empty()) {
                EXPECT_EQ(ls[i], "Visible = 0") << rel << " line " << i;
            }
        }
    }
    EXPECT_EQ(records, 8);

    const Ini menu = parseIni(file(appwrite + "am/UserMenuTree"));
    const std::string items = menu.at("2a58c0d6-05c6-45aa-8938-63059d41a4e9").at("Items");
    EXPECT_EQ(std::count(items.begin(), items.end(), ';'), 7);
    EXPECT_EQ(items.back(), ';');

    const auto mime = lines(file(appwrite + "am/UserMime"));
    const auto at = std::find(mime.begin(), mime.end(), "[test/x-mpkg]");
    ASSERT_NE(at, mime.end());
    ASSERT_GE(mime.end() - at, 3);
    EXPECT_EQ(at[1].rfind("AppID = {", 0), 0u);
    EXPECT_EQ(at[2].rfind("AppList = {", 0), 0u);
}

TEST_F(DemoPhone, ThemesAutorunSetupFilesFontsAndProgramDirectory)
{
    const Ini alkali = parseIni(file("usr/data_resource/theme/Alkali.phm"));
    EXPECT_EQ(alkali.at("THEME_CONFIG_TABLE").at("ThemeName"), "Alkali");
    const std::string inUse = parseIni(file(appwrite + "setup/ezx_theme.cfg")).at("THEME_GROUP_LOG").at("CurrentSkin");
    bool found = false;
    for (const auto &e : fs::directory_iterator(phone() / (appwrite + "setuptheme"))) {
        const Ini d = parseIni(readFile(e.path()));
        const std::string skin = d.at("THEME_CONFIG_TABLE").at("Skin");
        EXPECT_TRUE(fs::is_directory(phone() / skin.substr(1))) << skin;
        EXPECT_EQ(e.path().filename().string(), d.at("THEME_CONFIG_TABLE").at("ThemeName") + ".chm");
        found = found || skin == inUse;
    }
    EXPECT_TRUE(found) << inUse;

    // Start-up script: name lines and command lines in pairs, some entries off.
    const auto autorun = lines(file("ezxlocal/download/mystuff/.autorun.csh"));
    ASSERT_EQ(autorun.size() % 2, 0u);
    int off = 0;
    for (size_t i = 0; i < autorun.size(); i += 2) {
        EXPECT_EQ(autorun[i][0], '#');
        off += autorun[i + 1][0] == '#';
    }
    EXPECT_GT(off, 0);
    EXPECT_LT(off, static_cast<int>(autorun.size() / 2));

    const std::map<std::string, std::pair<std::string, std::string>> read = {
        {"ezx_system.cfg", {"ALARMCLOCK", "AlertTime"}},
        {"ezx_bluetooth.cfg", {"Bluetooth Setup", "DiscoverablePeriod"}},
        {"ezx_addressbook.cfg", {"ADDRBK_PRELOAD_GROUP", "NUMBER_MATCH_MINLEN"}},
        {"ezx_flexbit.cfg", {"SYS_FLEX_TABLE", "6"}},
        {"ezx_mp.cfg", {"MediaControlItem", "EqualizerFeature"}},
        {"ezx_zwardlex.cfg", {"ZWARDLEX", "NUMBERS"}}};
    for (const auto &[name, where] : read)
        EXPECT_FALSE(parseIni(file(appwrite + "setup/" + name)).at(where.first).at(where.second).empty()) << name;
    EXPECT_EQ(parseIni(file(appwrite + "setup/ezx_flexbit.cfg")).at("SYS_FLEX_TABLE").at("10"), "754964572");

    for (const char *font : {"ezxlocal/download/mystuff/fonts/Rounded.ttf", "mmc/mmca1/fonts/CONDENSED.TTF",
                             "usr/language/fonts/AMCSL.TTF", "usr/language/fonts/NUMBER1.TTF"})
        EXPECT_EQ(file(font).substr(0, 4), std::string("\0\1\0\0", 4)) << font;
    EXPECT_EQ(file(progdir + "AMCSL.TTF1"), file("usr/language/fonts/AMCSL1.TTF"));

    const std::string language = parseIni(file(progdir + "Vardel.cfg")).at("Vardel").at("Language");
    EXPECT_TRUE(fs::is_regular_file(fs::path(VARDEL_SOURCE_DIR) / "data/languages" / language)) << language;

    const Ini modem = parseIni(file("modem.ini"));
    for (const char *key : {"IMSI", "IMEI", "ServiceCenter", "Outbox"})
        EXPECT_FALSE(modem.at("Modem").at(key).empty()) << key;
}

TEST_F(DemoPhone, PackagesUnpackWithThePhoneToolsExceptTheBrokenOne)
{
    const Result r = inSandbox(phone(), R"sh(
        for p in $(find /ezxlocal/download/mystuff /mmc/mmca1 -name "*.mpkg" | sort); do
            rm -rf /mmc/mmca1/t; mkdir /mmc/mmca1/t
            busybox gzip -c -d $p 2>/dev/null | busybox tar -x -f - -C /mmc/mmca1/t/ 2>/dev/null
            echo "$p $(cat /mmc/mmca1/t/*/*.desktop 2>/dev/null | grep -E '^(Name|ThemeName|Directory) =' | tr '\n' ,)"
            ls /mmc/mmca1/t
        done; rm -rf /mmc/mmca1/t)sh");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Broken.mpkg \n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Lagoon.mpkg ThemeName = Lagoon,\nLagoon\n"), std::string::npos) << r.output;
    // An application package's top folder is its Directory.
    EXPECT_NE(r.output.find("OrbitSnake.mpkg Name = Orbit Snake,Directory = OrbitSnake,\nOrbitSnake\n"),
              std::string::npos) << r.output;
    EXPECT_NE(r.output.find("PocketNotes.mpkg Name = Pocket Notes,"), std::string::npos) << r.output;
}

TEST(DemoPhoneOptions, SameTreeEveryTimeScaledOnRequestAndNeverOverAnother)
{
    TempDir tmp;
    const fs::path a = tmp.path() / "a", b = tmp.path() / "b";
    const std::string scale = " --apps 30 --themes 6 --fonts 5";
    ASSERT_EQ(run(script("make-demo-phone") + " " + quote(a.string()) + scale).status, 0);
    ASSERT_EQ(run(script("make-demo-phone") + " " + quote(b.string()) + scale).status, 0);

    std::vector<std::string> names;
    for (const auto &e : fs::recursive_directory_iterator(a)) {
        const fs::path rel = fs::relative(e.path(), a);
        names.push_back(rel.string());
        ASSERT_TRUE(fs::exists(b / rel)) << rel;
        if (e.is_regular_file()) {
            EXPECT_EQ(readFile(e.path()), readFile(b / rel)) << rel;
        }
    }
    size_t inB = 0;
    for (auto it = fs::recursive_directory_iterator(b); it != fs::recursive_directory_iterator(); ++it)
        ++inB;
    EXPECT_EQ(inB, names.size());

    const auto countSections = [](const fs::path &p) {
        return parseIni(readFile(p)).size();
    };
    EXPECT_EQ(countSections(a / (appwrite + "am/UserRegistry")) + countSections(a / "mmc/mmca1/.system/java/CardRegistry"),
              8u + 30u);
    size_t descriptors = 0, fonts = 0;
    for (const auto &e : fs::recursive_directory_iterator(a)) {
        const std::string ext = e.path().extension().string();
        descriptors += ext == ".chm" || ext == ".phm";
        fonts += (ext == ".ttf" || ext == ".TTF") && e.path().string().find("/usr/language/") == std::string::npos;
    }
    EXPECT_EQ(descriptors, 4u + 6u);
    EXPECT_EQ(fonts, 3u + 5u);

    // A directory with something in it is never written into.
    const Result again = run(script("make-demo-phone") + " " + quote(a.string()));
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.output.find("not an empty directory"), std::string::npos) << again.output;
}

} // namespace
