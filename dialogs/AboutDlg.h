// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

#include <string>

// Shows the program's version with a handful of counters of the collection: what was loaded and
// how long loading took. The values are a snapshot taken when the dialog is made.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    struct Values {
        int userCount = 0;
        int baselineCount = 0;
        int statsCount = 0;
        bool exportDue = false;
        double loadSeconds = 0.0;
        std::string transName; // the translation filter's, as the tree counted it last
        int transPassages = 0;
        int transVerses = 0;
    };

    explicit CAboutDlg(const Values& values, QWidget* parent = nullptr);
};

// The caption of the launch-time report: the store's load seconds with three decimals.
QString LaunchTimeCaption(double loadSeconds);
// Shows the launch-time report: why start-up can be slow, with the load time in the caption.
void ShowLaunchTimeReport(double loadSeconds);
