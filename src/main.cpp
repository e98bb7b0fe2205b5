#include <ZApplication.h>

#include "shell/startup.h"
#include "vardel.h"

int main(int argc, char** argv)
{
    app = new ZApplication(argc, argv, ZApplication::GuiClient);

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
