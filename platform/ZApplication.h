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

    // Shows the widget and makes it the main widget. Under automation the
    // script's main-window steps are queued to start when the loop runs.
    void showMainWidget(QWidget* widget);
    QWidget* mainWidget() const;

    Type type() const { return m_type; }

    // The main widget of whichever application object is running (null when
    // none was shown); usable where only a QApplication exists.
    static QWidget* currentMainWidget();

private:
    Type m_type;
};
