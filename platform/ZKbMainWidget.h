#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QVBoxLayout;
class ZSoftKey;

// A phone screen of 240 x 320: a title bar, a content area and a soft-key
// bar. Keys reaching the screen: F1 presses soft key LEFT, F2 soft key RIGHT.
// flags: bit 1 top-level window, bit 2 application-modal.
class ZKbMainWidget : public QWidget
{
    Q_OBJECT
public:
    enum { ScreenWidth = 240, ScreenHeight = 320 };

    ZKbMainWidget(int headerType, QWidget* parent, const char* name, int flags);
    ~ZKbMainWidget() override;

    void setMainWidgetTitle(const QString& title);
    QString mainWidgetTitle() const;

    void setContentWidget(QWidget* widget);
    QWidget* contentWidget() const;

    void setSoftKey(ZSoftKey* softKey);
    ZSoftKey* softKey() const;
    // Installs any widget as the soft-key bar (a ZSoftKey given here is also
    // returned by softKey()).
    void setCSTWidget(QWidget* widget);
    QWidget* cstWidget() const;

    int headerType() const { return m_headerType; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class TitleBar;
    void placeBar(QWidget* bar);
    // Shows widget in area in place of the one slot held; false when nothing
    // new is shown (the same widget again, or none).
    bool place(QPointer<QWidget>& slot, QWidget* widget, QWidget* area, QVBoxLayout* layout);

    int m_headerType;
    TitleBar* m_title;
    QWidget* m_contentArea;
    QVBoxLayout* m_contentLayout;
    QWidget* m_barArea;
    QVBoxLayout* m_barLayout;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_bar;
};
