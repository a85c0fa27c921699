// Build-time reader of the page forms: writes the start state of every check box,
// radio button, drop-down list, edit box and label as a C++ table, so that the forms
// stay the one source of what the window shows when it opens.
//   tavrix-formstart OUTPUT.cpp FORM.ui...
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

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
// null string for a value of another type.
QString propertyValue(QXmlStreamReader &xml)
{
    QString value;
    while (xml.readNextStartElement()) {
        const QStringView type = xml.name();
        if (type == QLatin1String("bool") || type == QLatin1String("string")
            || type == QLatin1String("number"))
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            xml.skipCurrentElement();
    }
    return value;
}

bool readWidget(QXmlStreamReader &xml, const QString &parent, bool parentEnabled,
                std::vector<Control> &out)
{
    Control c;
    c.cls = xml.attributes().value(QLatin1String("class")).toString();
    c.name = xml.attributes().value(QLatin1String("name")).toString();
    c.parent = parent;
    c.parentEnabled = parentEnabled;
    const size_t at = out.size();
    out.push_back(c);
    while (xml.readNextStartElement()) {
        const QStringView element = xml.name();
        if (element == QLatin1String("property")) {
            const QString property = xml.attributes().value(QLatin1String("name")).toString();
            const QString value = propertyValue(xml);
            Control &self = out[at];
            if (property == QLatin1String("checked"))
                self.checked = value == QLatin1String("true");
            else if (property == QLatin1String("enabled"))
                self.enabled = value != QLatin1String("false");
            else if (property == QLatin1String("currentIndex"))
                self.index = value.toInt();
            else if (property == QLatin1String("text"))
                self.text = value;
        } else if (element == QLatin1String("item")) {
            ++out[at].items;
            xml.skipCurrentElement();
        } else if (element == QLatin1String("widget")) {
            const Control &self = out[at];
            if (!readWidget(xml, self.name, self.parentEnabled && self.enabled, out))
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
            if (!readWidget(xml, QString(), true, out))
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
         "#include \"protocol/records/formstart.h\"\n\n"
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
    s << "};\n\nconst int kFormControlCount = " << count << ";\n\n} // namespace records\n";
    s.flush();
    return file.commit() ? 0 : 1;
}
