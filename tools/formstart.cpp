// Build-time reader of the page forms: writes the start state of every check box,
// radio button, drop-down list, edit box and label as a C++ table, so that the forms
// stay the one source of what the window shows when it opens; and what a screen reader
// calls each control, by the naming rule the window follows, so that the tool need not
// work it out at every start.
//   tavrix-formstart OUTPUT.cpp FORM.ui...
#include "config/accessiblename.h"

#include <QFile>
#include <QHash>
#include <QRect>
#include <QSaveFile>
#include <QTextStream>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>

#include <cstdio>
#include <vector>

namespace {

struct Control
{
    QString cls;
    QString name;
    QString parent;
    bool checked = false;
    bool enabled = true;
    bool parentEnabled = true;
    int index = -2; // -2: no currentIndex property
    int items = 0;
    QString text;
    QString form;      // the form's class: the page it stands on
    QString title;     // group box
    QString toolTip;
    int geometry[4] = {0, 0, 0, 0}; // x, y, width, height within the parent
    int maxLength = -1;
    QStringList itemTexts;
};

const char *kindOf(const QString &cls)
{
    if (cls == QLatin1String("QCheckBox"))
        return "CheckBox";
    if (cls == QLatin1String("QRadioButton"))
        return "RadioButton";
    if (cls == QLatin1String("QComboBox"))
        return "ComboBox";
    if (cls == QLatin1String("QLineEdit"))
        return "LineEdit";
    if (cls == QLatin1String("QLabel"))
        return "Label";
    return nullptr;
}

// A C string literal of the UTF-8 bytes; octal escapes cannot run into what follows.
QByteArray literal(const QString &text)
{
    QByteArray out = "\"";
    for (char ch : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte >= 0x7f || ch == '"' || ch == '\\' || ch == '?')
            out += '\\' + QByteArray::number(byte, 8).rightJustified(3, '0');
        else
            out += ch;
    }
    return out + '"';
}

// The value of the property the reader stands on (<property name=..><bool>..), or a
// null string for a value of another type; a rectangle goes into *rect.
QString propertyValue(QXmlStreamReader &xml, int *rect = nullptr)
{
    QString value;
    while (xml.readNextStartElement()) {
        const QStringView type = xml.name();
        if (type == QLatin1String("bool") || type == QLatin1String("string")
            || type == QLatin1String("number")) {
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (type == QLatin1String("rect") && rect) {
            while (xml.readNextStartElement()) {
                const QStringView side = xml.name();
                const int v = xml.readElementText().toInt();
                if (side == QLatin1String("x"))
                    rect[0] = v;
                else if (side == QLatin1String("y"))
                    rect[1] = v;
                else if (side == QLatin1String("width"))
                    rect[2] = v;
                else if (side == QLatin1String("height"))
                    rect[3] = v;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return value;
}

// An item's text (<item><property name="text"><string>..).
QString itemText(QXmlStreamReader &xml)
{
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("property")
            && xml.attributes().value(QLatin1String("name")) == QLatin1String("text"))
            text = propertyValue(xml);
        else
            xml.skipCurrentElement();
    }
    return text;
}

bool readWidget(QXmlStreamReader &xml, const QString &form, const QString &parent, bool parentEnabled,
                std::vector<Control> &out)
{
    Control c;
    c.cls = xml.attributes().value(QLatin1String("class")).toString();
    c.name = xml.attributes().value(QLatin1String("name")).toString();
    c.form = form.isEmpty() ? c.name : form;
    c.parent = parent;
    c.parentEnabled = parentEnabled;
    const size_t at = out.size();
    out.push_back(c);
    while (xml.readNextStartElement()) {
        const QStringView element = xml.name();
        if (element == QLatin1String("property")) {
            const QString property = xml.attributes().value(QLatin1String("name")).toString();
            int rect[4] = {-1, -1, -1, -1};
            const QString value = propertyValue(xml, rect);
            Control &self = out[at];
            if (property == QLatin1String("geometry"))
                std::copy(rect, rect + 4, self.geometry);
            if (property == QLatin1String("checked"))
                self.checked = value == QLatin1String("true");
            else if (property == QLatin1String("enabled"))
                self.enabled = value != QLatin1String("false");
            else if (property == QLatin1String("currentIndex"))
                self.index = value.toInt();
            else if (property == QLatin1String("text"))
                self.text = value;
            else if (property == QLatin1String("title"))
                self.title = value;
            else if (property == QLatin1String("toolTip"))
                self.toolTip = value;
            else if (property == QLatin1String("maxLength"))
                self.maxLength = value.toInt();
        } else if (element == QLatin1String("item")) {
            ++out[at].items;
            out[at].itemTexts << itemText(xml);
        } else if (element == QLatin1String("widget")) {
            const Control self = out[at];
            if (!readWidget(xml, self.form, self.name, self.parentEnabled && self.enabled, out))
                return false;
        } else {
            xml.skipCurrentElement();
        }
    }
    return !xml.hasError();
}

bool readForm(const QString &path, std::vector<Control> &out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "formstart: cannot read %s\n", qPrintable(path));
        return false;
    }
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("ui"))
        return false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("widget")) {
            if (!readWidget(xml, QString(), QString(), true, out))
                break;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        std::fprintf(stderr, "formstart: %s: %s\n", qPrintable(path), qPrintable(xml.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrix-formstart OUTPUT.cpp FORM.ui...\n");
        return 2;
    }
    std::vector<Control> controls;
    for (int i = 2; i < argc; ++i) {
        if (!readForm(QString::fromLocal8Bit(argv[i]), controls))
            return 1;
    }

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    QTextStream s(&file);
    s << "// Written by tavrix-formstart from the page forms at build time.\n"
         "#include \"records/formstart.h\"\n\n"
         "namespace records {\n\n"
         "const FormControl kFormControls[] = {\n";
    int count = 0;
    for (const Control &c : controls) {
        const char *kind = kindOf(c.cls);
        if (!kind)
            continue;
        // Drop-down lists with items select the first one unless the form says otherwise.
        const int index = c.index != -2 ? c.index : (c.items > 0 ? 0 : -1);
        s << "    {" << literal(c.name) << ", FormControl::" << kind << ", " << literal(c.parent)
          << ", " << (c.checked ? "true" : "false") << ", "
          << (c.enabled && c.parentEnabled ? "true" : "false") << ", " << index << ", " << c.items
          << ", " << literal(c.cls == QLatin1String("QLineEdit") ? c.text : QString()) << "},\n";
        ++count;
    }
    s << "};\n\nconst int kFormControlCount = " << count << ";\n\n";

    // Every widget with what it says and where it stands, for the catalog of controls.
    s << "const FormWidget kFormWidgets[] = {\n";
    for (const Control &c : controls) {
        s << "    {" << literal(c.name) << ", " << literal(c.cls) << ", " << literal(c.form) << ", "
          << literal(c.parent) << ", " << literal(c.text) << ", " << literal(c.title) << ", "
          << literal(c.toolTip) << ", " << c.geometry[0] << ", " << c.geometry[1] << ", " << c.geometry[2]
          << ", " << c.geometry[3] << ", " << c.maxLength << ", " << literal(c.itemTexts.join(QLatin1Char('\n')))
          << "},\n";
    }
    s << "};\n\nconst int kFormWidgetCount = " << controls.size() << ";\n\n";

    // The names, form by form in the order the forms were given.
    QStringList forms;
    QHash<QString, QList<config::PageWidget>> widgets;
    for (const Control &c : controls) {
        if (!widgets.contains(c.form))
            forms << c.form;
        widgets[c.form].append({c.name, c.cls, c.parent,
                                QRect(c.geometry[0], c.geometry[1], c.geometry[2], c.geometry[3]), c.text,
                                c.title, c.toolTip});
    }
    s << "const FormName kFormNames[] = {\n";
    int names = 0;
    for (const QString &form : std::as_const(forms)) {
        for (const config::NamedControl &named : config::namedControls(widgets.value(form))) {
            s << "    {" << literal(named.control) << ", " << literal(named.name) << "},\n";
            ++names;
        }
    }
    s << "};\n\nconst int kFormNameCount = " << names << ";\n\n} // namespace records\n";
    s.flush();
    return file.commit() ? 0 : 1;
}
