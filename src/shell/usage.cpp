#include "shell/usage.h"

#include <cstring>

namespace Usage {

namespace {

const char usage[] =
    "Usage: vardel [ANY [ARGUMENT]]\n"
    "       vardel --help | --version\n"
    "\n"
    "Vardel goes by the second argument after its name (the first one counts only\n"
    "as --help or --version):\n"
    "  none, or anything else  opens the window\n"
    "  PATH                    installs the package (.mpkg) at PATH, an existing file,\n"
    "                          without a window, and ends\n"
    "  WardLex                 the anti-theft SIM check, without a window: texts the\n"
    "                          alert numbers when a foreign SIM card is in; its lines\n"
    "                          go to standard output\n"
    "\n"
    "Environment:\n"
    "  EZX_MODEM         the modem: modemmanager or ofono, that service on the system\n"
    "                    bus; auto, whichever of the two is there; any other text,\n"
    "                    the path of a simulated modem's file; unset, no modem (no\n"
    "                    IMEI, no SIM card, no texts)\n"
    "  EZX_MODEM_CALL_TIMEOUT, EZX_MODEM_SEND_TIMEOUT\n"
    "                    how long a modem service may take to answer a call and to\n"
    "                    send a text, in milliseconds (10000 and 60000)\n"
    "  DBUS_SYSTEM_BUS_ADDRESS\n"
    "                    the system bus (else unix:path=/run/dbus/system_bus_socket)\n"
    "  EZX_AUTOMATION    a script that answers the dialogs and steps through the\n"
    "                    window, for tests and demonstrations\n"
    "  EZX_TRANSCRIPT    a file that receives what the program showed and ran\n"
    "  DISPLAY, QT_QPA_PLATFORM\n"
    "                    the display; a start without a window and without a\n"
    "                    display runs on the offscreen platform\n"
    "  QT_LOGGING_RULES  \"vardel.commands.debug=true\" shows what the shell commands\n"
    "                    print, each under its command line; \"vardel.*.debug=true\"\n"
    "                    the program's other debug lines too\n";

} // namespace

QByteArray textFor(const char* firstArgument)
{
    if (!firstArgument)
        return QByteArray();
    if (std::strcmp(firstArgument, "--help") == 0)
        return QByteArray(usage);
    if (std::strcmp(firstArgument, "--version") == 0)
        return QByteArrayLiteral("vardel " VARDEL_VERSION "\n");
    return QByteArray();
}

} // namespace Usage
