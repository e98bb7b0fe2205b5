#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

#include "ZSkinService.h"

class QStackedWidget;

// Tabs shown as a strip of icons over one page at a time. Tabs are numbered
// from 0 in the order added. Left/Right (when the page does not use them)
// and a click on the strip change the tab.
class ZNavTabWidget : public QWidget
{
    Q_OBJECT
public:
    ZNavTabWidget(int style, bool arg1, bool arg2, QWidget* parent, const char* name,
                  ZSkinService::WidgetClsID cls = ZSkinService::clsZNavTabWidget);
    ~ZNavTabWidget() override;

    void addTab(QWidget* page, const QIcon& icon, const QString& label);
    int currentPageIndex() const; // -1 without tabs
    void setCurrentPage(int index); // out of range: ignored
    QWidget* currentPage() const;
    QWidget* page(int index) const;
    int count() const;
    QString tabLabel(int index) const;

signals:
    void currentChanged(QWidget* page);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Strip;
    Strip* m_strip;
    QStackedWidget* m_stack;
    QList<QIcon> m_icons;
    QList<QString> m_labels;
};
