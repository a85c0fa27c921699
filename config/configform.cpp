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

Configuration storedForm(const Controls &c)
{
    const Catalog &catalog = windowCatalog();
    // Building writes defaults back into its boxes: build from a copy.
    MemoryControls copy = records::startControls();
    catalog.copy(c, copy);
    const QByteArray record = records::buildSettings(copy);
    ConfigForm read;
    records::applySettingsRecord(read.controls(), record);
    return catalog.capture(read.controls());
}

const Catalog &windowCatalog()
{
    static const Catalog catalog;
    return catalog;
}

} // namespace config
