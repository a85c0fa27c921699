// Placeholder until the interlocks, filters and defaults land; deleted then.
#include "ui/windowrules.h"

#include <QWidget>

WindowRules::WindowRules(QWidget *form, Controls &, Desktop &) : QObject(form) {}
void applyFactoryDefaults(Controls &) {}
