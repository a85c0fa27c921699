#pragma once

#include "config/catalog.h"

#include <QList>
#include <QSize>
#include <QString>

class QDialog;
class QWidget;

// The settings that differ between two configurations, a row each: the page, the caption,
// the control's name when asked for (otherwise its tooltip), and the two values as the
// pages show them. The dialog deletes itself when closed.
struct DifferencesView
{
    QString title;
    QString heading;
    QString first;  // the first value column's header
    QString second; // the second's
    bool nameColumn = false;
    QSize size;
};

QDialog *showDifferences(QWidget *parent, const QList<config::Difference> &diffs, const DifferencesView &view);
