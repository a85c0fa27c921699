#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <vector>

class QButtonGroup;
class QStackedWidget;
class QStyleOptionTabWidgetFrame;

// One tab of PageControl: a fixed-width checkable button drawn as a tab by the
// style. Its caption turns blue while the mouse is over it.
class PageTab : public QAbstractButton
{
    Q_OBJECT

public:
    PageTab(const QString &caption, int index, QWidget *parent);

    int index() const { return m_index; }
    bool isHot() const { return m_hot; }
    void setHot(bool hot);
    // Where the tab sits in its row, so the style draws the joins of a tab row.
    void setRowPosition(int column, int columns);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int m_index;
    int m_column = 0;
    int m_columns = 1;
    bool m_hot = false;
};

// The tab control under the connection bar: ten pages behind tabs of 151 px that wrap
// onto two rows of five. Each page is built from its Designer form. As on Windows, the
// row that holds the selected tab sits next to the pages.
class PageControl : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTabWidth = 151;
    static constexpr int kTabHeight = 24;
    static constexpr int kTabsPerRow = 5;
    static constexpr int kFrame = 4;

    explicit PageControl(QWidget *parent = nullptr);

    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget *page(int index) const;
    QString tabText(int index) const;
    PageTab *tabButton(int index) const;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int rowCount() const;
    QRect pageArea() const;
    QStyleOptionTabWidgetFrame paneOption(const QRect &rect) const;
    void fillTitleSwitchesWithThePane();
    void placeTabs();
    void refreshHover();
    void selectFromKeyboard(int index);
    // The next (+1) or previous (-1) page, round the end.
    void cyclePages(int step);

    QStackedWidget *m_stack = nullptr;
    QButtonGroup *m_group = nullptr;
    std::vector<QString> m_captions;
    std::vector<PageTab *> m_tabs;
};
