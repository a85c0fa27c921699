#pragma once

#include <QObject>

class Controls;
class Desktop;
class QWidget;

// The rules that act on the configuration pages while the user works: interlocks
// between check boxes, key filters of the edit boxes and their length counters.
// Built once with the window and owned by it.
class WindowRules : public QObject
{
    Q_OBJECT

public:
    WindowRules(QWidget *form, Controls &controls, Desktop &desktop);
};

// "Заводские настройки": the factory values of the settings controls. Sends nothing.
void applyFactoryDefaults(Controls &controls);
