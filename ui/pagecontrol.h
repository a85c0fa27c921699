#pragma once

#include <QWidget>

// The tab control under the connection bar: ten pages behind tabs of 151 px that wrap
// onto two rows of five.
class PageControl : public QWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget *page(int index) const;
};
