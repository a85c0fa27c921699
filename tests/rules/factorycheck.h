#pragma once

#include "records/controls.h"
#include "rules/factorydefaults.h"

#include <QStringList>

// The controls that do not show their factory value.
inline QStringList factoryMismatches(const Controls &c)
{
    QStringList wrong;
    for (const FactoryValue &v : factoryValues()) {
        bool ok = true;
        switch (v.kind) {
        case FactoryValue::Check:
            ok = c.checked(v.name) == (v.value != 0);
            break;
        case FactoryValue::Radio:
            ok = c.checked(v.name);
            break;
        case FactoryValue::Index:
            ok = c.index(v.name) == v.value;
            break;
        case FactoryValue::Text:
            ok = c.text(v.name) == v.text;
            break;
        case FactoryValue::Disable:
            ok = !c.enabled(v.name);
            break;
        }
        if (!ok)
            wrong << v.name;
    }
    return wrong;
}
