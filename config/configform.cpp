#include "config/configform.h"

#include "config/catalog.h"
#include "protocol/records/records.h"
#include "protocol/records/startvalues.h"
#include "ui/desktop.h"
#include "ui/factorydefaults.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"
#include "ui/windowrules.h"

namespace config {

ConfigForm::ConfigForm() : m_pages(std::make_unique<PageControl>())
{
    m_controls = std::make_unique<WidgetControls>(m_pages.get());
    new WindowRules(m_pages.get(), *m_controls, Desktop::instance());
}

ConfigForm::~ConfigForm()
{
    // The rules watch the controls: the pages (and the rules with them) go first.
    m_pages.reset();
}

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
    records::applySettings(read.controls(), "READ_SET_" + record + '\r', 9);
    return catalog.capture(read.controls());
}

const Catalog &windowCatalog()
{
    static const Catalog catalog = [] {
        const PageControl pages;
        return Catalog(pages);
    }();
    return catalog;
}

} // namespace config
