// scripts/phone-sandbox: the phone's paths, busybox as the shell and tools,
// confinement of writes and of killall, the phone's users, and signals.

#include "script_runner.h"

#include "hostile.h"
#include "sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace scripttest;

namespace {

// A small phone tree: the sandbox needs no more than the folders.
void makeTree(const fs::path &dir)
{
    fs::create_directories(dir / "ezxlocal/download/appwrite/am");
    fs::create_directories(dir / "mmc/mmca1/.system/java");
    fs::create_directories(dir / "usr/data_resource/theme");
    fs::create_directories(dir / "usr/language/fonts");
    std::ofstream(dir / "ezxlocal/download/appwrite/am/UserRegistry") << "[a]\nName = A\n";
    std::ofstream(dir / "mmc/mmca1/.system/java/CardRegistry") << "[b]\nName = B\n";
    std::ofstream(dir / "usr/data_resource/theme/Alkali.phm") << "[THEME_CONFIG_TABLE]\nThemeName = Alkali\n";
    std::ofstream(dir / "usr/language/fonts/AMCSL.TTF") << "font";
}

std::string hostRootListing()
{
    std::string names;
    for (const auto &e : fs::directory_iterator("/"))
        names += e.path().filename().string() + "\n";
    return names;
}

class PhoneSandbox : public ::testing::Test {
protected:
    void SetUp() override { makeTree(tmp.path()); }
    TempDir tmp;
    const fs::path &dir() const { return tmp.path(); }
};

TEST_F(PhoneSandbox, PhonePathsAppearWithBusyboxAsShellAndTools)
{
    const Result r = inSandbox(dir(), R"sh(
        cat /ezxlocal/download/appwrite/am/UserRegistry /mmc/mmca1/.system/java/CardRegistry
        ls /usr/data_resource/theme /usr/language/fonts
        readlink -f /bin/sh
        for t in find sed awk tar gzip killall cat ls date echo touch rm mv cp mkdir chmod chown busybox; do
            echo "$t=$(readlink -f "$(which $t)")"
        done
        pwd; cat ../../ezxlocal/download/appwrite/am/UserRegistry >/dev/null && echo relative-ok
        /usr/SYSqtapp/systemsetup/themesetup)sh");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Name = A\n[b]\nName = B\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Alkali.phm"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("AMCSL.TTF"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\n/usr/bin/busybox\n"), std::string::npos) << r.output;
    for (const char *tool : {"find", "sed", "awk", "tar", "gzip", "killall", "chown", "busybox"})
        EXPECT_NE(r.output.find(std::string(tool) + "=/usr/bin/busybox\n"), std::string::npos)
            << tool << "\n" << r.output;
    // Registry directories such as "../../ezxlocal/..." resolve from the
    // working directory as they do on the phone.
    EXPECT_NE(r.output.find("/usr/SYSqtapp\nrelative-ok\n"), std::string::npos) << r.output;
    EXPECT_EQ(readFile(dir() / "themesetup.log"), "themesetup \n");
}

TEST_F(PhoneSandbox, NoCardLeavesTheCardOut)
{
    const Result r = inSandbox(dir(), "test -e /mmc/mmca1 && echo card; mkdir -p /mmc/mmca1/.system/tempmpkg || echo refused",
                               "--no-card");
    EXPECT_EQ(r.output.find("card\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("refused"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir() / "mmc/mmca1/.system/tempmpkg"));
}

TEST_F(PhoneSandbox, OnlyBrenikFirmwareTakesNewFilesInDataResourceAndFonts)
{
    Result r = inSandbox(dir(), "touch /usr/data_resource/brenik.tmp; cp /usr/language/fonts/AMCSL.TTF /usr/language/fonts/AMCSL1.TTF; cat /usr/data_resource/theme/Alkali.phm");
    EXPECT_NE(r.output.find("ThemeName = Alkali"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir() / "usr/data_resource/brenik.tmp"));
    EXPECT_FALSE(fs::exists(dir() / "usr/language/fonts/AMCSL1.TTF"));

    r = inSandbox(dir(), "touch /usr/data_resource/brenik.tmp && cp /usr/language/fonts/AMCSL.TTF /usr/language/fonts/AMCSL1.TTF",
                  "--brenik");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::is_regular_file(dir() / "usr/data_resource/brenik.tmp"));
    EXPECT_EQ(readFile(dir() / "usr/language/fonts/AMCSL1.TTF"), "font");
}

TEST_F(PhoneSandbox, WritesLandInTheTreeAndNowhereElse)
{
    const std::string rootBefore = hostRootListing();
    const std::string passwdBefore = readFile("/etc/passwd");
    const Result r = inSandbox(dir(), R"sh(
        echo phone > /ezxlocal/marker && echo card > /mmc/mmca1/marker
        touch /marker || echo root-refused
        touch /usr/bin/marker || echo usr-refused
        touch /etc/marker || echo etc-refused
        mkdir /usr/SYSqtapp/x || echo sysqtapp-refused)sh");
    EXPECT_EQ(readFile(dir() / "ezxlocal/marker"), "phone\n") << r.output;
    EXPECT_EQ(readFile(dir() / "mmc/mmca1/marker"), "card\n") << r.output;
    for (const char *what : {"root-refused", "usr-refused", "etc-refused", "sysqtapp-refused"})
        EXPECT_NE(r.output.find(what), std::string::npos) << what << "\n" << r.output;
    EXPECT_EQ(hostRootListing(), rootBefore);
    EXPECT_EQ(readFile("/etc/passwd"), passwdBefore);
    for (const char *p : {"/ezxlocal", "/mmc", "/marker", "/usr/data_resource", "/usr/SYSqtapp",
                          "/usr/language", "/usr/bin/marker", "/etc/marker"})
        EXPECT_FALSE(fs::exists(p)) << p;
}

TEST_F(PhoneSandbox, KillallReachesOnlyProcessesInside)
{
    // A process outside with the very name the command inside kills.
    const pid_t outside = fork();
    ASSERT_GE(outside, 0);
    if (outside == 0) {
        execlp("sleep", "sleep", "60", static_cast<char *>(nullptr));
        _exit(127);
    }
    // The background job is a shell until it has started sleep: wait for
    // that (at most 10 s) before looking, or pidof may find nothing yet.
    const Result r = inSandbox(dir(), "sleep 60 & s=$!; i=0; "
                                      "until [ \"$(cat /proc/$s/comm)\" = sleep ] || [ $i -ge 1000 ]; "
                                      "do usleep 10000; i=$((i+1)); done; "
                                      "pidof sleep | wc -w; busybox killall sleep; wait $s; echo status=$?");
    const bool outsideAlive = waitpid(outside, nullptr, WNOHANG) == 0;
    kill(outside, SIGKILL);
    waitpid(outside, nullptr, 0);
    EXPECT_TRUE(outsideAlive);
    EXPECT_NE(r.output.find("status=143"), std::string::npos) << r.output;
    // Only the process inside is in view, not the one outside.
    EXPECT_EQ(r.output.substr(0, 2), "1\n") << r.output;
}

TEST_F(PhoneSandbox, PhoneUsersOwnFiles)
{
    const Result r = inSandbox(dir(), "touch /ezxlocal/a /ezxlocal/b && chown ezx:ezx /ezxlocal/a && chown 500:513 /ezxlocal/b && ls -l /ezxlocal/a");
    ASSERT_EQ(r.status, 0) << r.output;
    if (geteuid() != 0)
        return; // in a user namespace ezx is another name for the one mapped id
    EXPECT_NE(r.output.find(" ezx "), std::string::npos) << r.output;
    struct stat a {}, b {};
    ASSERT_EQ(stat((dir() / "ezxlocal/a").c_str(), &a), 0);
    ASSERT_EQ(stat((dir() / "ezxlocal/b").c_str(), &b), 0);
    EXPECT_EQ(a.st_uid, 500u);
    EXPECT_EQ(a.st_gid, 513u);
    EXPECT_EQ(b.st_uid, a.st_uid);
    EXPECT_EQ(b.st_gid, a.st_gid);
}

TEST_F(PhoneSandbox, PassesStatusAndEnvironmentAndFailsClearly)
{
    Result r = inSandbox(dir(), "exit 7");
    EXPECT_EQ(r.status, 7);

    r = run("EZX_AUTOMATION=/a EZX_TRANSCRIPT=/t EZX_MODEM=/m DISPLAY=:42 QT_QPA_PLATFORM=minimal "
            + script("phone-sandbox") + " " + quote(dir().string())
            + " -- sh -c 'echo $EZX_AUTOMATION $EZX_TRANSCRIPT $EZX_MODEM $DISPLAY $QT_QPA_PLATFORM; ls "
            + quote(dir().string()) + "'");
    EXPECT_NE(r.output.find("/a /t /m :42 minimal\n"), std::string::npos) << r.output;
    // The tree is seen at its host path too.
    EXPECT_NE(r.output.find("ezxlocal\n"), std::string::npos) << r.output;
    // A cache the command can write (Fontconfig's), the caller's being read-only.
    r = inSandbox(dir(), "mkdir -p \"$XDG_CACHE_HOME/fontconfig\" && echo cache-ok");
    EXPECT_NE(r.output.find("cache-ok\n"), std::string::npos) << r.output;

    r = run(script("phone-sandbox") + " " + quote((dir() / "nonexistent").string()) + " -- true");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("nonexistent"), std::string::npos) << r.output;
}

TEST_F(PhoneSandbox, TerminationReachesTheCommandInside)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const std::string sandbox = std::string(VARDEL_SOURCE_DIR) + "/scripts/phone-sandbox";
        execl(sandbox.c_str(), sandbox.c_str(), dir().c_str(), "--", "sleep", "60",
              static_cast<char *>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto start = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0
           && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    EXPECT_EQ(done, pid) << "phone-sandbox ignored SIGTERM";
}

// Ordinary users get the sandbox through a user namespace.
TEST_F(PhoneSandbox, WorksForAnOrdinaryUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    const passwd *nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    fs::permissions(dir(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                               | fs::perms::others_read | fs::perms::others_exec);
    ASSERT_EQ(run("chown -R nobody " + quote(dir().string())).status, 0);
    const Result r = run("setpriv --reuid=nobody --regid=" + std::to_string(nobody->pw_gid)
                         + " --clear-groups " + script("phone-sandbox") + " --brenik "
                         + quote(dir().string())
                         + " -- sh -c 'ls /mmc/mmca1/.system/java; readlink -f /bin/sh; touch /ezxlocal/x /usr/data_resource/brenik.tmp && chown ezx:ezx /ezxlocal/x && echo done'");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "CardRegistry\n/usr/bin/busybox\ndone\n");
    struct stat st {};
    ASSERT_EQ(stat((dir() / "ezxlocal/x").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobody->pw_uid); // nothing but the user's own id is ever used
}

} // namespace

// ------------------------------------------------------------ the seal --

namespace {

TEST_F(PhoneSandbox, StandardInputReachesTheCommand)
{
    const Result r = run("printf 'line one\\nline two\\n' | " + script("phone-sandbox") + " "
                         + quote(dir().string()) + " -- sh -c 'read a; cat; echo \"first=$a\"'");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "line two\nfirst=line one\n");
}

// Nothing of the host is writable inside but the tree, the files named by
// EZX_* variables and --writable paths, even for root trying to remount;
// private /tmp, /var and /dev take writes that vanish with the sandbox.
TEST_F(PhoneSandbox, OnlyTheTreeTheEzxFilesAndWritablePathsReachTheHost)
{
    TempDir other, given;
    Hostile::Canary canary; // not handed to this sandbox: it must stay cold
    const std::string transcript = (other.path() / "transcript").string();
    std::ofstream(transcript) << "";
    struct Probe {
        std::string path;
        bool reachesHost;
    };
    const std::vector<Probe> probes{
        {dir().string() + "/ezxlocal/probe", true},
        {dir().string() + "/probe", true},
        {transcript, true},
        {(given.path() / "probe").string(), true},
        {"/tmp/vardel-sandbox-probe", false},
        {(other.path() / "probe").string(), false}, // beside the tree under /tmp
        {"/var/tmp/vardel-sandbox-probe", false},
        {"/root/vardel-sandbox-probe", false},
        {"/dev/vardel-sandbox-probe", false},
        {"/dev/shm/vardel-sandbox-probe", false},
        {VARDEL_SOURCE_DIR "/vardel-sandbox-probe", false},
        {VARDEL_BUILD_DIR "/vardel-sandbox-probe", false},
        {canary.path().toStdString(), false},
    };
    // Root inside first tries to lift the seal: make the host's folders
    // writable again, or unmount the private ones to reach the host's below.
    std::string inner = "for m in " VARDEL_SOURCE_DIR " " VARDEL_BUILD_DIR " /root /dev /; do "
                        "mount -o remount,rw,bind $m; mount -o remount,rw $m; done 2>/dev/null; "
                        "umount -l /tmp /var /dev/shm 2>/dev/null\n";
    for (const Probe &p : probes)
        inner += "echo x >> " + quote(p.path) + " 2>/dev/null && echo wrote " + quote(p.path) + "\n";
    // Started from /tmp, whose host folder must not come in with it.
    const Result r = run("cd /tmp && EZX_TRANSCRIPT=" + quote(transcript) + " " + script("phone-sandbox")
                         + " --writable " + quote(given.path().string()) + " " + quote(dir().string())
                         + " -- sh -c " + quote(inner));
    for (const Probe &p : probes) {
        std::error_code ec; // an ordinary user may not even look into /root
        EXPECT_EQ(fs::exists(p.path, ec), p.reachesHost) << p.path << "\n" << r.output;
        if (!p.reachesHost) {
            fs::remove(p.path, ec); // a probe that got through
        }
    }
    // Private /tmp and /var take writes all the same.
    for (const char *p : {"/tmp/vardel-sandbox-probe", "/var/tmp/vardel-sandbox-probe"})
        EXPECT_NE(r.output.find(std::string("wrote ") + p), std::string::npos) << p << "\n" << r.output;
    EXPECT_FALSE(canary.fired());
}

// A canary made outside is handed to TestSandbox::run's sandbox, so a
// command inside that fires it is seen; with a private /tmp it would not be.
TEST_F(PhoneSandbox, ACanaryFiredInsideIsSeenOutside)
{
    const Hostile::Canary canary;
    const TestSandbox::Result r = TestSandbox::run(
        QString::fromStdString(dir().string()), {"/bin/sh", "-c", "touch \"$0\"", canary.path()});
    EXPECT_EQ(r.exitCode, 0) << r.output.constData();
    EXPECT_TRUE(canary.fired());
}

TEST_F(PhoneSandbox, DropDacMakesFileModesHoldForRootAndKeepsChown)
{
    std::ofstream(dir() / "ezxlocal/locked") << "secret";
    fs::permissions(dir() / "ezxlocal/locked", fs::perms::none);
    const std::string inner = "cat /ezxlocal/locked; echo; rm -f /ezxlocal/free; touch /ezxlocal/free && chown ezx:ezx /ezxlocal/free && echo chowned";
    Result r = inSandbox(dir(), inner);
    EXPECT_EQ(r.output, "secret\nchowned\n");
    r = inSandbox(dir(), inner, "--drop-dac");
    EXPECT_NE(r.output.find("Permission denied"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("secret"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("chowned\n"), std::string::npos) << r.output;
}

// Everything of a folder that a copy must keep: type, mode, owner, mtime,
// link target and content.
std::string snapshot(const fs::path &top)
{
    std::string out;
    std::vector<fs::path> paths{top};
    for (const auto &e : fs::recursive_directory_iterator(top))
        paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path &p : paths) {
        struct stat st {};
        lstat(p.c_str(), &st);
        out += fs::relative(p, top).string() + " " + std::to_string(st.st_mode) + " "
               + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " "
               + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " "
               + std::to_string(st.st_nlink) + " "
               + (S_ISLNK(st.st_mode) ? fs::read_symlink(p).string()
                                      : S_ISREG(st.st_mode) ? readFile(p) : "")
               + "\n";
    }
    return out;
}

// Each fault option gives the free pages or read-only state asked for; what
// the command changed in a size-limited copy is back in the tree afterwards,
// and what it left alone is unchanged to the nanosecond.
TEST_F(PhoneSandbox, FaultOptionsFillOrLockAPlaceAndChangesComeBack)
{
    const struct {
        const char *options;
        const char *place;
        const char *free; // free pages seen inside, or "ro"
    } cases[] = {
        {"--card-free 0", "mmc/mmca1", "0"},   {"--card-free 1", "mmc/mmca1", "1"},
        {"--card-free 3", "mmc/mmca1", "3"},   {"--phone-free 0", "ezxlocal", "0"},
        {"--phone-free 3", "ezxlocal", "3"},   {"--ro-card", "mmc/mmca1", "ro"},
        {"--card-free 3 --phone-free 1", "ezxlocal", "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        TempDir tree;
        makeTree(tree.path());
        const fs::path place = tree.path() / c.place;
        fs::create_directories(place / "kept/deep");
        std::ofstream(place / "kept/file") << "kept";
        std::ofstream(place / "gone") << "gone";
        fs::create_symlink("kept/file", place / "link");
        fs::create_hard_link(place / "kept/file", place / "kept/hard");
        fs::permissions(place / "kept/file", fs::perms::owner_read | fs::perms::group_read);
        ASSERT_EQ(run("touch -h -d '2001-02-03 04:05:06.789' " + quote(place.string()) + "/kept/* "
                      + quote(place.string()) + "/link " + quote((place / "kept").string()))
                      .status, 0);
        if (geteuid() == 0) {
            ASSERT_EQ(lchown((place / "kept/file").c_str(), 500, 513), 0);
        }
        const std::string keptBefore = snapshot(place / "kept");
        std::vector<std::string> expected{std::string(c.free) == "ro" ? "gone" : "new"};
        for (const auto &e : fs::directory_iterator(place)) {
            if (e.path().filename() != "gone")
                expected.push_back(e.path().filename().string());
        }
        std::sort(expected.begin(), expected.end());

        const std::string p = std::string("/") + c.place;
        const Result r = inSandbox(tree.path(), "stat -f -c 'free=%a' " + p + "; echo x > " + p
                                                     + "/pre && echo pre-wrote; rm -f " + p + "/pre " + p
                                                     + "/gone; echo new > " + p + "/new; ls -l " + p + "/link",
                                   c.options);
        if (std::string(c.free) == "ro") {
            EXPECT_NE(r.output.find("Read-only file system"), std::string::npos) << r.output;
            EXPECT_TRUE(fs::exists(place / "gone"));
        } else {
            EXPECT_NE(r.output.find("free=" + std::string(c.free) + "\n"), std::string::npos) << r.output;
            // A full place takes no new page; removing a file frees one.
            EXPECT_EQ(r.output.find("pre-wrote") != std::string::npos, std::string(c.free) != "0") << r.output;
            EXPECT_FALSE(fs::exists(place / "gone"));
            EXPECT_EQ(readFile(place / "new"), "new\n");
        }
        EXPECT_NE(r.output.find("link -> kept/file"), std::string::npos) << r.output;
        EXPECT_EQ(snapshot(place / "kept"), keptBefore);
        EXPECT_TRUE(fs::is_symlink(place / "link"));
        // Nothing of the limit's own making is left in the tree.
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(place))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected);
    }
}

// Two sandboxes on one tree at once, and on a fresh cache both prepare
// their helper and busybox at the same moment.
TEST_F(PhoneSandbox, TwoAtOnceOnOneTreeAndAFreshCache)
{
    TempDir cache;
    std::string both;
    for (const char *n : {"1", "2"})
        both += "XDG_CACHE_HOME=" + quote(cache.path().string()) + " " + script("phone-sandbox") + " "
                + quote(dir().string()) + " -- sh -c 'usleep 200000; echo " + n + " > /ezxlocal/at" + n
                + "; echo done" + n + "' & ";
    const Result r = run(both + "wait");
    EXPECT_NE(r.output.find("done1"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("done2"), std::string::npos) << r.output;
    EXPECT_EQ(readFile(dir() / "ezxlocal/at1"), "1\n");
    EXPECT_EQ(readFile(dir() / "ezxlocal/at2"), "2\n");
}

} // namespace
