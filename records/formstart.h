#pragma once

// The start state of every check box, radio button, drop-down list, edit box and label
// of the page forms, in form order. Generated from the forms when the program is built.
namespace records {

struct FormControl
{
    enum Kind { CheckBox, RadioButton, ComboBox, LineEdit, Label };

    const char *name;
    Kind kind;
    const char *parent; // the widget it stands in: a radio button's set
    bool checked;
    bool enabled;       // with the widgets it stands in
    int index;          // drop-down list: the selected item, -1 for none
    int items;          // drop-down list: the item count
    const char *text;   // edit box, UTF-8
};

extern const FormControl kFormControls[];
extern const int kFormControlCount;

// Every widget of the page forms (the forms themselves first, each before what it
// holds) with what it says and where it stands: the catalog of controls is built from
// these without a widget.
struct FormWidget
{
    const char *name;
    const char *cls;     // "QLabel", "QGroupBox", ...
    const char *form;    // the form's class, "TabSheet2"
    const char *parent;  // the widget it stands in; empty for a form
    const char *text;    // UTF-8
    const char *title;   // group box
    const char *toolTip;
    int x, y, width, height; // within the parent
    int maxLength;       // edit box: -1 when the form does not say
    const char *items;   // drop-down list: the item texts, one a line
};

extern const FormWidget kFormWidgets[];
extern const int kFormWidgetCount;

// What a screen reader calls each control of the page forms, worked out from the forms
// when the program is built by the naming rule the window's live pages follow.
struct FormName
{
    const char *control;
    const char *name; // UTF-8
};

extern const FormName kFormNames[];
extern const int kFormNameCount;

} // namespace records
