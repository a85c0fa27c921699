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

} // namespace records
