#pragma once

#include "config/configfile.h"

#include <memory>

class Controls;
class MemoryControls;

namespace config {

class Catalog;

// The window's configuration controls in memory, with the window's start values and its
// interlocks: a configuration set here behaves as in the window and builds the same
// record, without a widget.
class ConfigForm
{
public:
    ConfigForm();
    ~ConfigForm();
    ConfigForm(const ConfigForm &) = delete;
    ConfigForm &operator=(const ConfigForm &) = delete;

    Controls &controls();

    // The controls as "Заводские настройки" and the four reset buttons of the pages
    // leave them: the factory configuration.
    void applyFactoryConfiguration();

private:
    // The interlocks hold on to the controls: they stay where they were made.
    std::unique_ptr<MemoryControls> m_controls;
};

// The catalog of the window's pages, taken once per program.
const Catalog &windowCatalog();

} // namespace config
