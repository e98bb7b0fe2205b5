#include <QGuiApplication>

#include <cstdio>

#include <ZApplication.h>

#include "shell/startup.h"
#include "shell/usage.h"
#include "vardel.h"

int main(int argc, char** argv)
{
    // --help and --version are answered before anything of the phone or the
    // display is touched.
    if (const QByteArray text = Usage::textFor(argc > 1 ? argv[1] : nullptr); !text.isEmpty()) {
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // A windowless start needs no display and may find none.
    const bool displayChosen = Startup::chooseDisplay(argc, argv);
    app = new ZApplication(argc, argv, ZApplication::GuiClient);
    if (displayChosen && QGuiApplication::platformName() == QLatin1String("offscreen")
        && !qEnvironmentVariableIsSet("EZX_AUTOMATION")) {
        // Nobody can see a question here, let alone answer it: an empty
        // script cancels each one, so an installation ends instead of
        // waiting for ever.
        qputenv("EZX_AUTOMATION", "/dev/null");
    }

    // The start-up argument keeps its bytes, as the shell commands that
    // install it are given them.
    auto* window = new Vardel(Startup::argumentFrom(Startup::arguments()), nullptr, nullptr, 0);
    // A windowless start has done its work in the constructor; there is no
    // window to wait for.
    const int result = window->endsWithoutWindow() ? 0 : app->exec();

    delete window;
    delete app;
    app = nullptr;
    return result;
}
