#pragma once

#include <QWidget>
#include <vector>

class QStackedWidget;

// The tab control under the connection bar: ten pages behind tabs of 151 px that wrap
// onto two rows of five. Each page is built from its Designer form.
class PageControl : public QWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget *page(int index) const;
    QString tabText(int index) const;

signals:
    void currentChanged(int index);

private:
    QStackedWidget *m_stack = nullptr;
    std::vector<QString> m_captions;
};
