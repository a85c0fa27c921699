#pragma once

#include "config/configfile.h"

#include <memory>

class Controls;
class PageControl;
class WidgetControls;

namespace config {

class Catalog;

// The window's ten pages with their interlocks and key filters, never shown: a
// configuration set here behaves exactly as in the window. For programs without the
// window; needs a QApplication.
class ConfigForm
{
public:
    ConfigForm();
    ~ConfigForm();

    PageControl &pages() { return *m_pages; }
    Controls &controls();

    // The controls as "Заводские настройки" and the four reset buttons of the pages
    // leave them: the factory configuration.
    void applyFactoryConfiguration();

private:
    std::unique_ptr<PageControl> m_pages;
    std::unique_ptr<WidgetControls> m_controls;
};

// The catalog of the window's pages, taken once per program.
const Catalog &windowCatalog();

// The configuration a read of a controller shows once the record these controls build
// has been written to it: what a write stores, in the forms a file takes (a short
// threshold zero-padded, an empty key as the erased code, an empty SMS word as its
// default). The controls themselves are not touched. Needs a QApplication.
Configuration storedForm(const Controls &c);

} // namespace config
