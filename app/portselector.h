#pragma once

#include <QComboBox>

// The port selector of the connection bar. It says when its drop-down is about to open,
// so that the window can look for ports again first (an adapter plugged in after start).
class PortSelector : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        emit popupAboutToShow();
        QComboBox::showPopup();
    }

signals:
    void popupAboutToShow();
};
