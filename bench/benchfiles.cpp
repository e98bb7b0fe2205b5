#include "benchfiles.h"

namespace BenchFiles {

namespace {

QByteArray sectionName(int i)
{
    return "10000000-0000-0000-0000-" + QByteArray::number(250101080000LL + qint64(i) * 37);
}

} // namespace

Registry registry(qsizetype bytes)
{
    Registry r;
    while (r.records == 0 || r.text.size() < bytes) {
        const int i = r.records++;
        const QByteArray id = sectionName(i);
        const QByteArray dir = "/ezxlocal/download/mystuff/.system/QTDownLoad/Bench" + QByteArray::number(i);
        r.text += "[" + id + "]\nAppID = {" + id + "}\nAniIcon = " + dir + "/ani.png\nArgs = \nAttribute = 1\n"
            "BigIcon = " + dir + "/big.png\nDaemon = 0\nDirectory = ../.." + dir + "\nExec = bench\n"
            "FixedAllPosition = 0\nFixedPosition = 0\nGroupID = ezx\nIcon = " + dir + "/usr.png\n"
            "LockEnabled = 0\nMassStorageStatus = 1\nName = Bench App " + QByteArray::number(i) + "\nType = 2\n"
            "UserID = root\nVisible = 0\n\n";
    }
    return r;
}

QList<QPair<QByteArray, QByteArray>> lookups(int records)
{
    static const QByteArray keys[] = {"Exec", "Name", "BigIcon", "Directory"};
    QList<QPair<QByteArray, QByteArray>> list;
    for (int i = 0; i < 1000; ++i)
        list.append({sectionName(int((qint64(i) * 7919) % records)), keys[i % 4]});
    return list;
}

} // namespace BenchFiles
