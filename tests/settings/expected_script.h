#pragma once

#include <QByteArray>
#include <QList>

// The font start-up script as the phone must receive it: 27 lines, each
// ended by a line feed (the last one empty), and the line feed the writer
// adds. fontValue follows "FONT=": a path, or "NO" in double quotes.
inline QByteArray expectedFontScript(const QByteArray& fontValue, const QByteArray& notice)
{
    const QList<QByteArray> lines = {
        "#!/bin/sh",
        "#######################",
        "#   Morvanex          #",
        "#   Sylvoran          #",
        "#######################",
        "if [ \"$LX_ENV\" != \"true\" ]",
        "then",
        "  . /ezxlocal/Sylvoran/etc/initenv",
        "fi",
        "",
        "DIRNAME=`busybox dirname \"$0\"`",
        "FONT=" + fontValue,
        "",
        "mount -o bind /usr/data_resource/preloadapps/SysRegistry2 /usr/data_resource/preloadapps/SysRegistry",
        "",
        "if [ \"$FONT\" != \"NO\" ]",
        "then",
        "    showNotify \"\" \"" + notice + "\" 1 4",
        "    mount -o bind \"$FONT\" /usr/language/fonts/AMCSL.TTF",
        "    mount -o bind \"$FONT\" /usr/language/fonts/NUMBER.TTF",
        "",
        "    kill `pidof opera`",
        "    kill `pidof am`",
        "    sleep 1s",
        "    kill `pidof phone`",
        "fi",
        "",
    };
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + '\n';
    return text + '\n';
}

// What a script holds after "FONT=", up to the empty line that follows.
inline QByteArray fontValueOf(const QByteArray& script)
{
    const qsizetype start = script.indexOf("\nFONT=") + 6;
    const qsizetype end = script.indexOf("\n\nmount -o bind /usr/data_resource/", start);
    return start < 6 || end < 0 ? QByteArray("<no FONT line>") : script.mid(start, end - start);
}
