#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Controls;

// Check boxes that keep related boxes consistent. Both kinds are plain data; one engine
// runs them on every change of a box's state, whoever makes the change.
namespace interlocks {

enum class Anchor { First, Last };

// Boxes whose ticked members always form a run that starts at the anchor.
struct RunGroup
{
    QStringList members;
    Anchor anchor = Anchor::First;
    // A title switch that goes off, before the rest of the run, when the first member
    // goes off (the feature is on exactly while its first member takes part).
    QString titleOffWithFirst;
};

// A box that switches a feature: its dependents are enabled only while it is on.
struct MasterSwitch
{
    QString master;
    QStringList dependents;
    QStringList offWhenOff; // set off after the dependents are disabled
    QStringList onWhenOn;   // set on after the dependents are enabled
};

const std::vector<RunGroup> &runGroups();
const std::vector<MasterSwitch> &masterSwitches();

// Registers the rules as a check observer of the controls. Nothing runs now: the
// controls' present states are taken as they are. The rules live as long as the
// controls keep their observers.
void install(Controls &controls);
void install(Controls &controls, std::vector<RunGroup> groups, std::vector<MasterSwitch> masters);

} // namespace interlocks
