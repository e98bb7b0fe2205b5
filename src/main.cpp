#include <QStringList>

#include <ZApplication.h>

#include "shell/startup.h"
#include "vardel.h"

int main(int argc, char** argv)
{
    app = new ZApplication(argc, argv, ZApplication::GuiClient);

    // Arguments are byte strings, one character per byte, as the shell
    // commands are given them.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);

    auto* window = new Vardel(Startup::argumentFrom(arguments), nullptr, nullptr, 0);
    // A windowless start has done its work in the constructor; there is no
    // window to wait for.
    const int result = window->endsWithoutWindow() ? 0 : app->exec();

    delete window;
    delete app;
    app = nullptr;
    return result;
}
