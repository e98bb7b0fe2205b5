#include "ZNavTabWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ZTheme.h"

class ZNavTabWidget::Strip : public QWidget
{
public:
    explicit Strip(ZNavTabWidget* tabs)
        : QWidget(tabs)
        , m_tabs(tabs)
    {
        setFixedHeight(ZTheme::TabStripHeight);
    }

    QRect cell(int index) const
    {
        const int n = m_tabs->count();
        if (n == 0)
            return {};
        const int left = index * width() / n;
        const int right = (index + 1) * width() / n;
        return QRect(left, 0, right - left, height());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        ZTheme::paintBar(p, rect(), QColor(0xe9, 0xed, 0xf3), QColor(0xd2, 0xd8, 0xe2));
        const int current = m_tabs->currentPageIndex();
        for (int i = 0; i < m_tabs->count(); ++i) {
            const QRect c = cell(i);
            if (i == current) {
                const QRect tab = c.adjusted(1, 3, -1, 0);
                p.setPen(QPen(ZTheme::panelBorder, 1));
                p.setBrush(Qt::white);
                p.drawRoundedRect(QRectF(tab).adjusted(0.5, 0.5, -0.5, 4), 4, 4);
                p.fillRect(tab.left() + 4, tab.bottom() - 2, tab.width() - 8, 3, ZTheme::accent);
            } else if (i > 0 && i - 1 != current) {
                p.setPen(QColor(0xb8, 0xc0, 0xcc));
                p.drawLine(c.left(), 7, c.left(), height() - 7);
            }
            const QIcon& icon = m_tabs->m_icons.at(i);
            const QString label = m_tabs->m_labels.at(i);
            const int box = label.isEmpty() ? 20 : 16;
            QRect content = c.adjusted(2, 4, -2, -2);
            if (!icon.isNull()) {
                const QPixmap pm = icon.pixmap(QSize(box, box), devicePixelRatioF());
                const QPixmap shown = ZTheme::fitted(pm, QSize(box, box));
                const int x = label.isEmpty() ? content.center().x() - shown.width() / 2 + 1 : content.left() + 2;
                p.drawPixmap(x, content.center().y() - shown.height() / 2 + 1, shown);
                content.setLeft(x + shown.width() + 3);
            }
            if (!label.isEmpty()) {
                p.setFont(ZTheme::font(10, i == current));
                p.setPen(i == current ? ZTheme::ink : ZTheme::mutedInk);
                p.drawText(content, Qt::AlignCenter,
                           p.fontMetrics().elidedText(label, Qt::ElideRight, content.width()));
            }
        }
        p.setPen(ZTheme::panelBorder);
        p.drawLine(0, height() - 1, width(), height() - 1);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        for (int i = 0; i < m_tabs->count(); ++i)
            if (cell(i).contains(event->position().toPoint())) {
                m_tabs->setCurrentPage(i);
                return;
            }
    }

private:
    ZNavTabWidget* m_tabs;
};

ZNavTabWidget::ZNavTabWidget(int /*style*/, bool /*arg1*/, bool /*arg2*/, QWidget* parent,
                             const char* name, ZSkinService::WidgetClsID /*cls*/)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_strip = new Strip(this);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_strip);
    layout->addWidget(m_stack, 1);
    connect(m_stack, &QStackedWidget::currentChanged, this, [this](int index) {
        m_strip->update();
        emit currentChanged(m_stack->widget(index));
    });
}

ZNavTabWidget::~ZNavTabWidget() = default;

void ZNavTabWidget::addTab(QWidget* page, const QIcon& icon, const QString& label)
{
    if (!page)
        return;
    // Keep the strip's lists in step before the stack may report a change.
    m_icons.append(icon);
    m_labels.append(label);
    m_stack->addWidget(page);
    m_strip->update();
}

int ZNavTabWidget::currentPageIndex() const
{
    return m_stack->currentIndex();
}

void ZNavTabWidget::setCurrentPage(int index)
{
    if (index < 0 || index >= count())
        return;
    const bool hadFocus = isAncestorOf(focusWidget()) || hasFocus();
    m_stack->setCurrentIndex(index);
    if (hadFocus && m_stack->currentWidget())
        m_stack->currentWidget()->setFocus(Qt::TabFocusReason);
}

QWidget* ZNavTabWidget::currentPage() const
{
    return m_stack->currentWidget();
}

QWidget* ZNavTabWidget::page(int index) const
{
    return m_stack->widget(index);
}

int ZNavTabWidget::count() const
{
    return m_stack->count();
}

QString ZNavTabWidget::tabLabel(int index) const
{
    return index >= 0 && index < m_labels.size() ? m_labels.at(index) : QString();
}

void ZNavTabWidget::keyPressEvent(QKeyEvent* event)
{
    const int n = count();
    if (n > 1 && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        setCurrentPage((currentPageIndex() + step + n) % n);
        return;
    }
    QWidget::keyPressEvent(event);
}
