#include "faultphone.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "mpkg.h"
#include "sandbox.h"

namespace Faults {

namespace {

const QString progDir = "/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/";
const QString program = progDir + "vardel";
const QString setup = "/ezxlocal/download/appwrite/setup/";
const QString am = "/ezxlocal/download/appwrite/am/";
const QString packages = "/ezxlocal/download/mystuff/Packages/";

// The demo phone, made once per test program and copied for every run; the
// program itself (never written, and most of the tree's bytes) is a hard
// link to one copy kept beside it.
QString templatePhone()
{
    static const QString made = [] {
        const QString dir = QDir::tempPath() + "/vardel-faults-" + QString::number(::getpid());
        QProcess maker;
        maker.start(VARDEL_SOURCE_DIR "/scripts/make-demo-phone", {dir + "/phone", "--program", VARDEL_BUILD_DIR});
        maker.waitForFinished(60000);
        QFile::rename(dir + "/phone" + program, dir + "/vardel");
        std::atexit([] { QDir(QDir::tempPath() + "/vardel-faults-" + QString::number(::getpid())).removeRecursively(); });
        return dir;
    }();
    return made + "/phone";
}

// An application of 200 KiB with a start-up entry: more than a nearly full
// card or phone memory can take.
void bigApp(const Phone& phone)
{
    QByteArray data;
    for (int i = 0; data.size() < 200 * 1024; ++i)
        data += QByteArray::number(i * 7919 % 100003) + ' ';
    TestMpkg::write(QFile::encodeName(phone.host(packages + "big.mpkg")),
                    {TestMpkg::folder("BigApp/"),
                     TestMpkg::file("BigApp/big.desktop", "[Desktop Entry]\nName = Big App\nDirectory = BigApp\n"
                                                          "Exec = run\nAutorun = start.sh\nBigIcon = big.png\n"),
                     TestMpkg::file("BigApp/run", "#!/bin/sh\n", 0755), TestMpkg::file("BigApp/start.sh", "#!/bin/sh\n", 0755),
                     TestMpkg::file("BigApp/data.bin", data)});
}

void lagoon(const Phone& phone)
{
    phone.write(packages + "Lagoon.mpkg", phone.read("/mmc/mmca1/mpkg/Lagoon.mpkg"));
}

Operation install(const QString& name, int place)
{
    return {name, {"x", packages + "big.mpkg"}, {"check " + QString::number(place), "accept"}, "installed successfully",
            place == 0 ? am + "UserRegistry" : "/mmc/mmca1/.system/java/CardRegistry", {}, bigApp};
}

Operation theme(const QString& name, const QStringList& script, const QStringList& options = {})
{
    return {name, {"x", packages + "Lagoon.mpkg"}, script, "Theme installed.", "/ezxlocal/download/appwrite/setuptheme",
            options, lagoon};
}

Operation window(const QString& name, const QStringList& script, const QString& target, const QString& success = {})
{
    return {name, {}, script, success, target};
}

Operation removal(const QString& name, int tab, const QString& row, const QString& target)
{
    Operation op{name, {}, {}, "has been removed.", target};
    op.tab = tab;
    op.row = row;
    return op;
}

QByteArray normalized(const QByteArray& content)
{
    // IDs and password hashes (a fresh salt each time) made alike.
    static const QRegularExpression id(QStringLiteral("10000000-0000-0000-0000-[0-9]+|pbkdf2-sha256\\$[0-9a-f$]+"));
    if (!content.contains("10000000-0000-0000-0000-") && !content.contains("pbkdf2-sha256$"))
        return content;
    return QString::fromLatin1(content).replace(id, QStringLiteral("<ID>")).toLatin1();
}

} // namespace

QByteArray Phone::read(const QString& phonePath) const
{
    QFile f(host(phonePath));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Phone::write(const QString& phonePath, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(host(phonePath)).absolutePath());
    QFile f(host(phonePath));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

bool Phone::exists(const QString& phonePath) const
{
    struct stat st;
    return ::lstat(QFile::encodeName(host(phonePath)).constData(), &st) == 0;
}

Snapshot Phone::snapshot() const
{
    Snapshot entries;
    const std::string top = QFile::encodeName(root).toStdString();
    for (auto it = std::filesystem::recursive_directory_iterator(top); it != std::filesystem::recursive_directory_iterator();
         ++it) {
        const QByteArray path = QByteArray::fromStdString(it->path().native());
        const QString phonePath = QString::fromLatin1(path.mid(qsizetype(top.size())));
        // The program is never written (and by far the largest file); the
        // font and package searches leave their scratch file on purpose; the
        // theme settings' stub logs its starts outside the phone's files.
        if (phonePath == program || phonePath == progDir + "fonttemp" || phonePath == progDir + "mpkgtemp"
            || phonePath == "/themesetup.log")
            continue;
        struct stat st {};
        ::lstat(path.constData(), &st);
        QByteArray entry = QByteArray::number(st.st_mode, 8) + ' ' + QByteArray::number(st.st_uid) + ':' +
                           QByteArray::number(st.st_gid) + '\n';
        if (S_ISLNK(st.st_mode)) {
            entry += QByteArray::fromStdString(std::filesystem::read_symlink(it->path()).native());
        } else if (S_ISREG(st.st_mode)) {
            QFile f(QFile::decodeName(path));
            entry += f.open(QIODevice::ReadOnly) ? normalized(f.readAll()) : QByteArray("<unreadable>");
        } else if (S_ISDIR(st.st_mode) && (st.st_mode & 0500) != 0500) {
            it.disable_recursion_pending();  // a folder the fault made unreadable
        }
        entries.insert(phonePath, entry);
    }
    return entries;
}

QList<Operation> operations()
{
    const QString script = "/ezxlocal/download/mystuff/.autorun.csh";
    return {
        install("install to phone memory", 0),
        install("install to the card", 1),
        theme("theme to phone memory", {"check 0", "accept"}),
        theme("theme to the card", {"check 1", "accept"}),
        theme("theme on Brenik firmware", {"yes", "accept"}, {"--brenik"}),
        removal("remove a phone application", 0, "Pocket Notes", am + "UserRegistry"),
        removal("remove a card application", 0, "Sky Atlas", "/mmc/mmca1/.system/java/CardRegistry"),
        removal("remove a card theme", 4, "Autumn", "/ezxlocal/download/appwrite/setuptheme/Autumn.chm"),
        window("autorun add", {"tab 1", "menu 0", "file /ezxlocal/download/mystuff/scripts/backup.sh", "text Backup"}, script),
        window("autorun switch", {"tab 1", "activate 3", "check 0"}, script),
        window("autorun remove", {"tab 1", "current 5", "menu 1", "yes"}, script),
        window("picker", {"tab 2", "activate 0", "number 8"}, setup + "ezx_system.cfg"),
        window("flag switch", {"tab 2", "activate 5", "check 0"}, setup + "ezx_flexbit.cfg"),
        window("equalizer", {"tab 2", "activate 6", "check 0", "check 7 10"}, setup + "ezx_mp.cfg"),
        window("font", {"tab 2", "activate 7", "check 1", "check 1"}, progDir + "ChangeFont"),
        window("password", {"tab 3", "activate 2", "text", "text N1 pass", "text N1 pass"}, progDir + "Vardel.cfg",
               "Password changed."),
        window("guard switch", {"tab 3", "activate 0", "text", "check 0"}, {}),
        window("numbers", {"tab 3", "activate 1", "text", "text 600999888 600777666"}, setup + "ezx_zwardlex.cfg"),
    };
}

Fault fault(const QString& name)
{
    static const QList<Fault> all{
        {"full card", {"--card-free", "0"}},
        {"nearly full card", {"--card-free", "1"}},
        {"full phone memory", {"--phone-free", "0"}},
        {"nearly full phone memory", {"--phone-free", "1"}},
        {"read-only card", {"--ro-card"}},
        {"no card", {"--no-card"}},
        {"target unreadable", {"--drop-dac"}, Fault::Unreadable},
        {"target a folder", {}, Fault::Folder},
        {"target not replaceable", {"--drop-dac"}, Fault::Unreplaceable},
    };
    for (const Fault& f : all) {
        if (f.name == name)
            return f;
    }
    return {};
}

QString freshPhone(const QString& parent, const QString& name)
{
    const QString dir = parent + '/' + name;
    QDir(dir).removeRecursively();
    QProcess::execute("cp", {"-a", templatePhone(), dir});
    ::link(QFile::encodeName(templatePhone() + "/../vardel").constData(), QFile::encodeName(dir + program).constData());
    return dir;
}

namespace {

int run(const QString& command, const QStringList& args)
{
    return QProcess::execute(command, args);
}

void copyMeta(const Phone& phone, const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(templatePhone() + path).constData(), &st);
    const QByteArray host = QFile::encodeName(phone.host(path));
    [[maybe_unused]] const int owned = ::lchown(host.constData(), st.st_uid, st.st_gid);
    ::chmod(host.constData(), st.st_mode & 07777);
}

QString parentOf(const QString& path)
{
    return path.left(path.lastIndexOf('/'));
}

} // namespace

void applyFault(const Phone& phone, const Operation& op, const Fault& fault)
{
    const QByteArray target = QFile::encodeName(phone.host(op.target));
    switch (fault.target) {
    case Fault::None:
        break;
    case Fault::Unreadable:
        ::chmod(target.constData(), 0);
        break;
    case Fault::Folder:
        run("rm", {"-rf", phone.host(op.target)});
        QDir().mkpath(phone.host(op.target + "/inside"));
        break;
    case Fault::Unreplaceable: {
        // A sticky folder and a file owned by someone else: without
        // CAP_FOWNER root may write beside the file but not rename over it.
        const QByteArray parent = QFile::encodeName(phone.host(parentOf(op.target)));
        [[maybe_unused]] const int a = ::chown(parent.constData(), 500, 513);
        [[maybe_unused]] const int b = ::chown(target.constData(), 500, 513);
        ::chmod(parent.constData(), 01777);
        break;
    }
    }
}

void liftFault(const Phone& phone, const Operation& op, const Fault& fault)
{
    switch (fault.target) {
    case Fault::None:
        break;
    case Fault::Unreadable:
        copyMeta(phone, op.target);
        break;
    case Fault::Folder:
        run("rm", {"-rf", phone.host(op.target)});
        run("cp", {"-a", templatePhone() + op.target, phone.host(op.target)});
        break;
    case Fault::Unreplaceable:
        copyMeta(phone, parentOf(op.target));
        copyMeta(phone, op.target);
        break;
    }
}

Run run(const Phone& phone, const Operation& op, const QStringList& options, int killAfterUs)
{
    const QString work = phone.root + "-run";
    QDir().mkpath(work);
    QStringList script = op.script;
    if (!op.row.isEmpty()) {
        // The row that shows the name now.
        const Run listed = run(phone, Operation{op.name, {}, {"tab " + QString::number(op.tab), "dump"}, {}, {}, op.options}, options);
        const QJsonArray rows = QJsonDocument::fromJson(listed.output).array();
        qsizetype at = -1;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (rows[i].toArray()[0].toString() == op.row)
                at = i;
        }
        if (at < 0)
            return Run{-2, "no row " + op.row.toUtf8(), {}, {}};
        script = {"tab " + QString::number(op.tab), "current " + QString::number(at), "menu 0", "yes"};
    }
    QFile s(work + "/script.txt");
    if (s.open(QIODevice::WriteOnly | QIODevice::Truncate))
        s.write(script.join('\n').toUtf8() + '\n');
    s.close();
    QFile::remove(work + "/transcript.jsonl");

    QStringList command{program};
    command << op.args;
    if (killAfterUs > 0)
        command = QStringList{"/bin/sh", "-c", "\"$0\" \"$@\" & p=$!; usleep " + QString::number(killAfterUs) +
                                                   "; kill -9 $p 2>/dev/null; wait $p"} + command;
    const TestSandbox::Result result =
        TestSandbox::run(phone.root, command,
                         {"QT_QPA_PLATFORM=offscreen", "EZX_TRANSCRIPT=" + work + "/transcript.jsonl",
                          "EZX_AUTOMATION=" + work + "/script.txt", "EZX_MODEM=" + phone.root + "/modem.ini"},
                         120000, op.options + options);
    Run out{result.exitCode, result.output, {}, {}};
    QFile t(work + "/transcript.jsonl");
    QJsonArray lastDump;
    if (t.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : t.readAll().split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            const QString kind = e["event"].toString();
            if (kind == "dialog" || kind == "notice")
                out.told << e["text"].toString();
            else if (kind == "command")
                out.commands << e["command"].toString();
            else if (kind == "dump")
                lastDump = e["rows"].toArray();
        }
    }
    if (!lastDump.isEmpty())
        out.output = QJsonDocument(lastDump).toJson(QJsonDocument::Compact);
    return out;
}

QStringList neitherOldNorNew(const Snapshot& old, const Snapshot& reference, const Snapshot& now)
{
    QStringList found;
    QSet<QString> paths(old.keyBegin(), old.keyEnd());
    paths.unite(QSet<QString>(reference.keyBegin(), reference.keyEnd()));
    paths.unite(QSet<QString>(now.keyBegin(), now.keyEnd()));
    for (const QString& path : paths) {
        const QByteArray value = now.value(path, "<missing>");
        if (value != old.value(path, "<missing>") && value != reference.value(path, "<missing>"))
            found << path;
    }
    found.sort();
    return found;
}

QStringList differences(const Snapshot& a, const Snapshot& b)
{
    QStringList found;
    QSet<QString> paths(a.keyBegin(), a.keyEnd());
    paths.unite(QSet<QString>(b.keyBegin(), b.keyEnd()));
    for (const QString& path : paths) {
        if (a.value(path, "<missing>") != b.value(path, "<missing>"))
            found << path;
    }
    found.sort();
    return found;
}

Run retry(const Phone& phone, const Operation& op)
{
    return run(phone, op);
}

bool claimed(const Run& run, const Operation& op)
{
    if (op.success.isEmpty())
        return false;
    for (const QString& text : run.told) {
        if (text.contains(op.success))
            return true;
    }
    return false;
}

} // namespace Faults
