#include "config/configform.h"

#include "config/catalog.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "rules/factorydefaults.h"
#include "rules/interlocks.h"

namespace config {

ConfigForm::ConfigForm() : m_controls(std::make_unique<MemoryControls>(records::startControls()))
{
    // The window's interlocks over the window's start values: the only rules that act on
    // what a record holds (the key filters and counters act on typing alone).
    interlocks::install(*m_controls);
}

ConfigForm::~ConfigForm() = default;

Controls &ConfigForm::controls()
{
    return *m_controls;
}

void ConfigForm::applyFactoryConfiguration()
{
    applyFactoryDefaults(*m_controls);
    records::resetPhones(*m_controls);
    records::resetKeys(*m_controls);
    records::resetSmsTexts(*m_controls);
    records::setGprsDefaults(*m_controls);
}

const Catalog &windowCatalog()
{
    static const Catalog catalog;
    return catalog;
}

} // namespace config
