#pragma once

#include "config/catalog.h"

#include <QRandomGenerator>

// A configuration with a random value for every control, within what each control
// takes (quotes, '#' and edge spaces included), one button on in every radio set.
inline config::Configuration generatedConfiguration(const config::Catalog &catalog, QRandomGenerator &g)
{
    const auto alphabet = [](CharClass cls) {
        switch (cls) {
        case CharClass::Phone:
            return QStringLiteral("+0123456789");
        case CharClass::Digits:
            return QStringLiteral("0123456789");
        case CharClass::KeyCode:
            return QStringLiteral("0123456789ABCDEF");
        case CharClass::Text:
            break;
        }
        QString all;
        for (char c = ' '; c <= '~'; ++c) {
            if (c != '_')
                all += QLatin1Char(c);
        }
        return all;
    };
    config::Configuration cfg;
    QHash<int, QStringList> sets;
    for (const config::ControlInfo &info : catalog.controls()) {
        switch (info.kind) {
        case config::ControlInfo::Check:
            cfg.set(info.name, QString::number(g.bounded(2)));
            break;
        case config::ControlInfo::Radio:
            sets[info.radioSet] << info.name;
            cfg.set(info.name, QStringLiteral("0"));
            break;
        case config::ControlInfo::List:
            cfg.set(info.name, QString::number(g.bounded(int(info.items.size()))));
            break;
        case config::ControlInfo::Text: {
            const QString chars = alphabet(info.chars.value_or(CharClass::Text));
            QString text;
            const int length = g.bounded(info.limit + 1);
            for (int i = 0; i < length; ++i)
                text += chars.at(g.bounded(int(chars.size())));
            cfg.set(info.name, text);
            break;
        }
        }
    }
    for (const QStringList &set : std::as_const(sets))
        cfg.set(set.at(g.bounded(int(set.size()))), QStringLiteral("1"));
    return cfg;
}
