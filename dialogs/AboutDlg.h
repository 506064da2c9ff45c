#pragma once

#include <QDialog>

class CPassageStore;

// Shows the program's version with a handful of counters from the passage store: what was
// loaded and how long loading took. The values are copied when the dialog is made.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const CPassageStore& store, QWidget* parent = nullptr);
};

// The caption of the launch-time report: the store's load seconds with three decimals.
QString LaunchTimeCaption(double loadSeconds);
// Shows the launch-time report: why start-up can be slow, with the load time in the caption.
void ShowLaunchTimeReport(double loadSeconds);
