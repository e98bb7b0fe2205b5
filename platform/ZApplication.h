#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

// The application object. Besides QApplication's job it knows the main widget
// and, when EZX_AUTOMATION names a script, starts the scripted main-window
// steps once the event loop runs (see ZAutomation.h).
class ZApplication : public QApplication
{
    Q_OBJECT
public:
    enum Type { GuiClient, GuiServer };

    ZApplication(int& argc, char** argv, Type type = GuiClient);
    ~ZApplication() override;

    // Shows the widget, makes it the main widget and the active window (it
    // takes the keys). Under automation the script's main-window steps are
    // queued to start when the loop runs.
    void showMainWidget(QWidget* widget);
    QWidget* mainWidget() const;

    Type type() const { return m_type; }

    // The argument vector as given to the constructor, after QApplication
    // took out the options it handles: the arguments' own bytes, which
    // arguments() can only give decoded (and so not at all for bytes that
    // are not UTF-8).
    int argc() const { return m_argc; }
    char** argv() const { return m_argv; }

    // The main widget of whichever application object is running (null when
    // none was shown); usable where only a QApplication exists.
    static QWidget* currentMainWidget();

private:
    Type m_type;
    int& m_argc;
    char** m_argv;
};
