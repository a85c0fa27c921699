#include "ui/signalcolours.h"

#include <QEvent>
#include <QMap>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace {

constexpr double kLeastContrast = 4.5;
// On a dark window even a pure colour that happens to pass is drawn lighter, so the
// two themes' colours are told apart at a glance.
constexpr double kLeastLightening = 0.1;
// Styles paint tab panes and group frames from the window and button colours, up to
// about a third lighter and greyer on a dark palette (Fusion: the button colour a
// quarter lighter and less saturated); the text stands on those as often as on the
// window itself.
constexpr int kPaneLightening = 135;

double linearChannel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green())
           + 0.0722 * linearChannel(rgb.blue());
}

// Remembers each widget's pure colours and re-derives them when its palette changes.
class SignalColourKeeper : public QObject
{
public:
    explicit SignalColourKeeper(QWidget *widget) : QObject(widget), m_widget(widget)
    {
        widget->installEventFilter(this);
    }

    static SignalColourKeeper *of(QWidget *widget)
    {
        if (auto *keeper = widget->findChild<SignalColourKeeper *>(QString(), Qt::FindDirectChildrenOnly))
            return keeper;
        return new SignalColourKeeper(widget);
    }

    bool keeps(QPalette::ColorRole role) const { return m_pure.contains(role); }

    void set(QPalette::ColorRole role, const QColor &pure)
    {
        m_pure.insert(role, pure);
        apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::PaletteChange)
            apply();
        return false;
    }

private:
    void apply()
    {
        QPalette palette = m_widget->palette();
        bool changed = false;
        for (auto it = m_pure.cbegin(); it != m_pure.cend(); ++it) {
            const QColor shown = readableColour(it.value(), palette);
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                if (palette.color(group, it.key()) != shown) {
                    palette.setColor(group, it.key(), shown);
                    changed = true;
                }
            }
        }
        // Setting the palette sends another PaletteChange; it finds nothing to change.
        if (changed)
            m_widget->setPalette(palette);
    }

    QWidget *m_widget;
    QMap<QPalette::ColorRole, QColor> m_pure;
};

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkWindow(const QColor &window)
{
    return window.toHsl().lightnessF() < 0.5;
}

namespace {

// The least lightened tint of `hsl` from `start` up that reads on every backdrop.
std::optional<QColor> firstReadableTint(const QColor &hsl, double start, std::initializer_list<QColor> backdrops)
{
    const float hue = std::max(hsl.hslHueF(), 0.0f); // achromatic colours report -1
    const float saturation = hsl.hslSaturationF();
    // Walk up in steps of one 8-bit level and judge the colour as it will be drawn.
    for (int step = int(std::ceil(start * 255)); step <= 255; ++step) {
        const QColor tint = QColor::fromHslF(hue, saturation, step / 255.0f).toRgb();
        const QColor drawn(tint.red(), tint.green(), tint.blue());
        if (std::all_of(backdrops.begin(), backdrops.end(),
                        [&](const QColor &backdrop) { return contrastRatio(drawn, backdrop) >= kLeastContrast; }))
            return drawn;
    }
    return std::nullopt;
}

} // namespace

QColor readableColour(const QColor &pure, const QPalette &palette)
{
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    if (!isDarkWindow(window))
        return pure;
    // The lightest surface the text may stand on: the window, the button colour and the
    // panes a style draws from them.
    QColor lightest = window;
    for (const QColor &surface : {window, palette.color(QPalette::Active, QPalette::Button)}) {
        // Panes are often greyer too, which makes them lighter still.
        const QColor pane = QColor::fromHsv(0, 0, surface.lighter(kPaneLightening).value());
        for (const QColor &candidate : {surface, pane})
            if (relativeLuminance(candidate) > relativeLuminance(lightest))
                lightest = candidate;
    }
    const QColor hsl = pure.toHsl();
    const double start = std::min(1.0, hsl.lightnessF() + kLeastLightening);
    // Where no tint reads on the lightest pane, at least on the window itself.
    if (const std::optional<QColor> tint = firstReadableTint(hsl, start, {window, lightest}))
        return *tint;
    return firstReadableTint(hsl, start, {window}).value_or(QColor(Qt::white));
}

void setSignalColour(QWidget *widget, QPalette::ColorRole role, const QColor &pure)
{
    SignalColourKeeper::of(widget)->set(role, pure);
}

void keepSignalColour(QWidget *widget, QPalette::ColorRole role)
{
    // Once kept, the palette holds the adjusted colour, not the form's.
    SignalColourKeeper *keeper = SignalColourKeeper::of(widget);
    if (!keeper->keeps(role))
        keeper->set(role, widget->palette().color(QPalette::Active, role));
}
