// Placeholder until the pages land.
#include "ui/pagecontrol.h"

PageControl::PageControl(QWidget *parent) : QWidget(parent) {}
int PageControl::count() const { return 0; }
int PageControl::currentIndex() const { return -1; }
void PageControl::setCurrentIndex(int) {}
QWidget *PageControl::page(int) const { return nullptr; }
