#include "rules/interlocks.h"

#include "records/controlnames.h"
#include "records/controls.h"

#include <QHash>
#include <memory>

namespace interlocks {

namespace {

QStringList boxes(int from, int to)
{
    return names::numbered("CheckBox", from, to);
}

QStringList labels(int from, int to)
{
    return names::numbered("Label", from, to);
}

} // namespace

const std::vector<RunGroup> &runGroups()
{
    static const std::vector<RunGroup> groups = {
        {boxes(1, 9), Anchor::First, {}},     // SMS on alarm, subscribers 1 to 9
        {boxes(10, 18), Anchor::First, {}},   // SMS on arming and disarming
        {boxes(19, 27), Anchor::First, {}},   // SMS on mains loss
        {boxes(28, 36), Anchor::First, {}},   // SMS on battery discharge
        {boxes(37, 45), Anchor::First, {}},   // SMS on temperature threshold
        {boxes(58, 66), Anchor::First, {}},   // arming by an unanswered call
        {boxes(81, 89), Anchor::First, {}},   // voice on arming and disarming
        {boxes(90, 98), Anchor::First, {}},   // voice on power and battery
        {boxes(99, 107), Anchor::First, {}},  // voice on GSM jamming
        {boxes(71, 75), Anchor::First, {}},   // intercom subscribers 1 to 5
        // Partial arming, inputs 2 to 6: input 2 carries the title switch with it.
        {boxes(114, 118), Anchor::First, QStringLiteral("CheckBox113")},
        {{QStringLiteral("CheckBox48"), QStringLiteral("CheckBox54")}, Anchor::First, {}}, // work while disarmed
        {boxes(49, 53), Anchor::Last, {}},    // pulse mode, outputs 1 to 5: a run ending at output 5
    };
    return groups;
}

const std::vector<MasterSwitch> &masterSwitches()
{
    static const std::vector<MasterSwitch> masters = {
        {QStringLiteral("CheckBox56"), // thermometer
         {QStringLiteral("Label23"), QStringLiteral("Label27"), QStringLiteral("Label44"), QStringLiteral("Label30"),
          QStringLiteral("Edit32"), QStringLiteral("Edit33")},
         {},
         {}},
        {QStringLiteral("CheckBox57"), // monitoring server
         names::serverGroup(),
         {},
         {}},
        {QStringLiteral("CheckBox80"), // balance check
         {QStringLiteral("Label8"), QStringLiteral("Label9"), QStringLiteral("Label10"), QStringLiteral("Label11"),
          QStringLiteral("Label12"), QStringLiteral("Edit36"), QStringLiteral("Edit38")},
         {},
         {}},
        {QStringLiteral("CheckBox67"), // intercom while armed
         QStringList{QStringLiteral("Label106")} + boxes(71, 75)
             + QStringList{QStringLiteral("CheckBox69"), QStringLiteral("CheckBox70")},
         {QStringLiteral("CheckBox69")},
         {}},
        // Voice messages. Label104 continues the master's own caption and stays enabled.
        {QStringLiteral("CheckBox108"),
         QStringList{QStringLiteral("CheckBox109"), QStringLiteral("CheckBox110")} + boxes(81, 107)
             + QStringList{QStringLiteral("Label14"), QStringLiteral("Label15"), QStringLiteral("Label16"),
                           QStringLiteral("Label20")}
             + labels(97, 101)
             + QStringList{QStringLiteral("Label102"), QStringLiteral("Label103"), QStringLiteral("Label13"),
                           QStringLiteral("Label105"), QStringLiteral("Label107"), QStringLiteral("Label108")},
         {QStringLiteral("CheckBox109")},
         {}},
        {QStringLiteral("CheckBox113"), // partial arming
         boxes(114, 119),
         boxes(114, 119),
         {QStringLiteral("CheckBox114")}},
    };
    return masters;
}

namespace {

// Which rules a box takes part in; resolved once so a change looks up one name.
struct Role
{
    int group = -1;    // index into the run groups, or -1
    int position = -1; // the box's place in that group
    int master = -1;   // index into the master switches, or -1
};

class Engine
{
public:
    Engine(Controls &controls, std::vector<RunGroup> groups, std::vector<MasterSwitch> masters)
        : m_controls(controls), m_groups(std::move(groups)), m_masters(std::move(masters))
    {
        for (int g = 0; g < int(m_groups.size()); ++g) {
            const QStringList &members = m_groups[size_t(g)].members;
            for (int k = 0; k < members.size(); ++k)
                m_roles[members[k]].push_back(Role{g, k, -1});
        }
        for (int m = 0; m < int(m_masters.size()); ++m)
            m_roles[m_masters[size_t(m)].master].push_back(Role{-1, -1, m});
    }

    // Runs inside the change; each set below notifies again, so a cascade is a chain
    // of nested calls that ends because every set moves a group towards its shape.
    void changed(const QString &name, bool on)
    {
        const auto it = m_roles.constFind(name);
        if (it == m_roles.cend())
            return;
        const std::vector<Role> roles = *it;
        for (const Role &role : roles) {
            if (role.group >= 0)
                runRule(m_groups[size_t(role.group)], role.position, on);
            else
                masterRule(m_masters[size_t(role.master)], on);
        }
    }

private:
    void runRule(const RunGroup &group, int k, bool on)
    {
        const QStringList &m = group.members;
        const int n = int(m.size());
        if (group.anchor == Anchor::First) {
            if (on) {
                for (int i = 0; i < k; ++i)
                    m_controls.setChecked(m[i], true);
            } else {
                if (k == 0 && !group.titleOffWithFirst.isEmpty())
                    m_controls.setChecked(group.titleOffWithFirst, false);
                for (int i = k + 1; i < n; ++i)
                    m_controls.setChecked(m[i], false);
            }
        } else {
            if (on) {
                for (int i = k + 1; i < n; ++i)
                    m_controls.setChecked(m[i], true);
            } else {
                for (int i = 0; i < k; ++i)
                    m_controls.setChecked(m[i], false);
            }
        }
    }

    void masterRule(const MasterSwitch &master, bool on)
    {
        for (const QString &dependent : master.dependents)
            m_controls.setEnabled(dependent, on);
        for (const QString &name : on ? master.onWhenOn : master.offWhenOff)
            m_controls.setChecked(name, on);
    }

    Controls &m_controls;
    const std::vector<RunGroup> m_groups;
    const std::vector<MasterSwitch> m_masters;
    QHash<QString, std::vector<Role>> m_roles;
};

} // namespace

void install(Controls &controls)
{
    install(controls, runGroups(), masterSwitches());
}

void install(Controls &controls, std::vector<RunGroup> groups, std::vector<MasterSwitch> masters)
{
    auto engine = std::make_shared<Engine>(controls, std::move(groups), std::move(masters));
    controls.addCheckObserver([engine](const QString &name, bool on) { engine->changed(name, on); });
}

} // namespace interlocks
