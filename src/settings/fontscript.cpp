#include "settings/fontscript.h"

#include "shell/shellquote.h"

namespace FontScript {

namespace {

// The script up to and including "FONT=" (lines 1 to 12 without the value).
constexpr char head[] =
    "#!/bin/sh\n"
    "#######################\n"
    "#   Morvanex          #\n"
    "#   Sylvoran          #\n"
    "#######################\n"
    "if [ \"$LX_ENV\" != \"true\" ]\n"
    "then\n"
    "  . /ezxlocal/Sylvoran/etc/initenv\n"
    "fi\n"
    "\n"
    "DIRNAME=`busybox dirname \"$0\"`\n"
    "FONT=";

// From the end of line 12 to the notice of line 18.
constexpr char middle[] =
    "\n"
    "\n"
    "mount -o bind /usr/data_resource/preloadapps/SysRegistry2 /usr/data_resource/preloadapps/SysRegistry\n"
    "\n"
    "if [ \"$FONT\" != \"NO\" ]\n"
    "then\n"
    "    showNotify \"\" \"";

// From the end of the notice to the end of the script.
constexpr char tail[] =
    "\" 1 4\n"
    "    mount -o bind \"$FONT\" /usr/language/fonts/AMCSL.TTF\n"
    "    mount -o bind \"$FONT\" /usr/language/fonts/NUMBER.TTF\n"
    "\n"
    "    kill `pidof opera`\n"
    "    kill `pidof am`\n"
    "    sleep 1s\n"
    "    kill `pidof phone`\n"
    "fi\n"
    "\n";

// Put together piece by piece: a value holding "%1" or "$FONT" stays as it is.
QString script(const QString& fontValue, const QString& notice)
{
    return QLatin1String(head) + fontValue + QLatin1String(middle) + notice + QLatin1String(tail);
}

} // namespace

QString withFont(const QString& fontPath, const QString& notice)
{
    // The phone runs the script as root, so a font file named "x$(cmd).ttf"
    // or "my font.ttf" on the card must neither run a command nor split the
    // assignment.
    return script(Shell::literalWord(fontPath), notice);
}

QString withSystemFont(const QString& notice)
{
    return script(QStringLiteral("\"NO\""), notice);
}

} // namespace FontScript
